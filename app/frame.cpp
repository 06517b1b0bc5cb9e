#include "app/frame.h"

#include "params/fields.h"

#include "runtime/fatal_error.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

constexpr int full_turn = 360;

// Nearest whole number, ties to the even one (the default rounding mode).
std::int32_t whole_degrees(float degrees)
{
    if (!std::isfinite(degrees) || std::fabs(degrees) > 2e9f)
        return 0;
    return static_cast<std::int32_t>(std::nearbyint(degrees));
}

// Spinning angles are kept within one turn, so that single precision never
// runs out of whole degrees however long the program spins.
std::int32_t spin(std::int32_t angle, float increment)
{
    return whole_degrees(static_cast<float>(angle) + increment) % full_turn;
}

} // namespace

float advance_frame_clock(Frame_clock& clock, float now, float& fps)
{
    const float elapsed = now - clock.previous_time;
    clock.previous_time = now;
    clock.frames += 1.0f;
    if (now - clock.last_update > 1.0f) {
        clock.last_update = now;
        fps = clock.frames;
        clock.frames = 0.0f;
    }
    return elapsed;
}

std::string fps_text(float fps)
{
    // Fixed notation at precision 0 never gives an exponent or a point; the
    // largest float takes 39 digits.
    char digits[48];
    const auto written = std::to_chars(digits, digits + sizeof digits, std::floor(fps), std::chars_format::fixed, 0);
    return "FPS:" + std::string(digits, written.ptr);
}

void update_rotation(Rotation_angles& angles, const Tparams& params, float frame_time, float speed)
{
    if (params.auto_rotate != 0) {
        const float increment = frame_time * speed;
        angles = {spin(angles.x, increment), spin(angles.y, increment), spin(angles.z, increment)};
    } else {
        angles = {whole_degrees(params.xrot), whole_degrees(params.yrot), whole_degrees(params.zrot)};
    }
}

void follow_linked_sets(Tparams& params, Second_set_seen& seen)
{
    bool edited = false;
    for (const params::Field& field : params::saved_fields)
        if (field.group == params::Group::second_set && seen.known)
            edited = edited || std::memcmp(&(params.*field.number), &(seen.values.*field.number), sizeof(float)) != 0;
    if (params.sets_linked != 0 && edited) {
        params.sets_linked = 0;
    } else if (params.sets_linked != 0) {
        params::link_sets(params);
    }
    for (const params::Field& field : params::saved_fields)
        if (field.group == params::Group::second_set)
            params::copy_field(field, params, seen.values);
    seen.known = true;
}

bool same_recipe(const Grid_recipe& one, const Grid_recipe& other)
{
    const Grid_numbers& numbers = one;
    return std::memcmp(&numbers, static_cast<const Grid_numbers*>(&other), sizeof numbers) == 0 &&
           one.swaps == other.swaps;
}

Shown_shape::Shown_shape() : shape(std::make_unique<Nsupershape::Tsupershape>())
{
    recipe.formula = shape->formula();
    recipe.slices = shape->slices;
    recipe.bands = shape->bands;
}

void rebuild(Shown_shape& shown, const Grid_recipe& recipe)
{
    const float s = recipe.scale;
    // The old arrays go first, so that a large grid never needs two.
    shown.shape.reset();
    shown.shape = std::make_unique<Nsupershape::Tsupershape>();
    shown.shape->reload(recipe.formula, recipe.slices, recipe.bands);
    shown.shape->scale(s, s, s);
    shown.shape->set_color(1.0f, 1.0f, 1.0f, 1.0f);
    for (const char axis : recipe.swaps)
        shown.shape->swap_axis(axis - '0');
    shown.recipe = recipe;
}

Grid_match match_grid(const Tparams& params, const Shown_shape& shown)
{
    // Each swap exchanges two axes; some runs of them come back to where they started.
    static constexpr int exchanged[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    int axes[3] = {0, 1, 2};
    for (const char swap : shown.recipe.swaps)
        std::swap(axes[exchanged[swap - '0'][0]], axes[exchanged[swap - '0'][1]]);
    if (axes[0] != 0 || axes[1] != 1)
        return Grid_match::swapped;
    Grid_recipe wanted = shown.recipe;
    wanted.formula = Nsupershape::formula_of(params);
    wanted.scale = params.scale;
    if (params.slices != shown.recipe.slices || params.bands != shown.recipe.bands)
        return Grid_match::needs_reset;
    if (same_recipe(wanted, shown.recipe))
        return Grid_match::same;
    return params.auto_edit != 0 ? Grid_match::following : Grid_match::needs_reset;
}

void carry_out_requests(Tparams& params, Shown_shape& shown)
{
    const runtime::Error_site site{"supershape", "main"};
    const float s = params.scale;
    if (params.do_reset == request_pending) {
        params.do_reset = request_idle;
        rebuild(shown, {{Nsupershape::formula_of(params), params.slices, params.bands, s}, ""});
    }

    Nsupershape::Tsupershape& current = runtime::checked_deref(shown.shape.get(), site);
    if (params.auto_edit != 0) {
        const Nsupershape::Formula formula = Nsupershape::formula_of(params);
        current.reset_shape(formula);
        current.scale(s, s, s);
        shown.recipe.formula = formula;
        shown.recipe.scale = s;
        shown.recipe.swaps.clear();
    }

    struct Swap {
        std::int32_t Tparams::*request;
        std::int32_t axis;
        const char* history;
    };
    static constexpr Swap swaps[] = {
        {&Tparams::do_swap_xy, 0, " xy"},
        {&Tparams::do_swap_xz, 1, " xz"},
        {&Tparams::do_swap_yz, 2, " yz"},
    };
    for (const Swap& swap : swaps) {
        if (params.*swap.request == request_pending) {
            params.*swap.request = request_idle;
            current.swap_axis(swap.axis);
            shown.recipe.swaps += static_cast<char>('0' + swap.axis);
            params.auto_edit = 0;
            params.rot_str += swap.history;
        }
    }
}
