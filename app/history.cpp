#include "app/history.h"

#include "params/fields.h"

#include <cstring>

namespace {

// The panel's values that no snippet keeps.
constexpr float Tparams::*view_numbers[] = {&Tparams::xrot, &Tparams::yrot, &Tparams::zrot,
                                            &Tparams::tx,   &Tparams::ty,   &Tparams::tz};
constexpr std::int32_t Tparams::*switches[] = {&Tparams::sets_linked, &Tparams::auto_edit, &Tparams::show_axes,
                                               &Tparams::auto_rotate, &Tparams::smooth_lines};

bool same_bits(float one, float other)
{
    return std::memcmp(&one, &other, sizeof one) == 0;
}

bool same_values(const Tparams& one, const Tparams& other)
{
    for (const params::Field& field : params::saved_fields) {
        const bool same = field.kind == params::Kind::number  ? same_bits(one.*field.number, other.*field.number)
                          : field.kind == params::Kind::count ? one.*field.count == other.*field.count
                          : field.kind == params::Kind::colour
                              ? std::memcmp(one.*field.colour, other.*field.colour, 4) == 0
                              : one.*field.text == other.*field.text;
        if (!same)
            return false;
    }
    for (float Tparams::*number : view_numbers)
        if (!same_bits(one.*number, other.*number))
            return false;
    for (std::int32_t Tparams::*flag : switches)
        if (one.*flag != other.*flag)
            return false;
    return true;
}

} // namespace

bool same_step(const Step& one, const Step& other)
{
    return same_values(one.values, other.values) && same_recipe(one.grid, other.grid);
}

Step step_of(const Tparams& params, const Shown_shape& shown)
{
    Step step{params, shown.recipe};
    for (std::int32_t Tparams::*request :
         {&Tparams::do_reset, &Tparams::do_quit, &Tparams::do_swap_xy, &Tparams::do_swap_xz, &Tparams::do_swap_yz})
        step.values.*request = request_idle;
    return step;
}

void History::watch(const Step& shown, bool editing)
{
    if (editing || same_step(shown, settled_))
        return;
    back_.push_back(settled_);
    if (back_.size() > depth)
        back_.pop_front();
    forward_.clear();
    settled_ = shown;
}

std::optional<Step> History::move(const Step& shown, std::deque<Step>& from, std::deque<Step>& to)
{
    watch(shown, false);
    if (from.empty())
        return std::nullopt;
    to.push_back(settled_);
    settled_ = from.back();
    from.pop_back();
    return settled_;
}

std::optional<Step> History::undo(const Step& shown)
{
    return move(shown, back_, forward_);
}

std::optional<Step> History::redo(const Step& shown)
{
    return move(shown, forward_, back_);
}
