#include "app/history.h"

#include "params/fields.h"

#include <cstring>

namespace {

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
    for (const params::Panel_value& value : params::panel_values) {
        const bool same = value.number ? same_bits(one.*value.number, other.*value.number)
                                       : one.*value.flag == other.*value.flag;
        if (!same)
            return false;
    }
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
    for (const params::Panel_value& value : params::panel_values)
        if (value.request)
            step.values.*value.flag = request_idle;
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
