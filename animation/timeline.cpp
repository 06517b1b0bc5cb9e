#include "animation/timeline.h"

#include "params/fields.h"

#include <algorithm>
#include <cmath>

namespace animation {
namespace {

double smoothstep(double u)
{
    return u * u * (3.0 - 2.0 * u);
}

// Exact at both ends for finite values.
double mix(double first, double second, double blend)
{
    return (1.0 - blend) * first + blend * second;
}

bool by_reciprocal(const params::Field& field)
{
    const float Tparams::*first = field.first_set_twin ? field.first_set_twin : field.number;
    return first == &Tparams::a || first == &Tparams::b || first == &Tparams::n1;
}

} // namespace

Frame_plan plan_frame(int frame, int count, std::size_t shapes, bool loop, double turn_per_leg)
{
    Frame_plan plan;
    if (shapes < 2) {
        plan.turn = 360.0 * frame / count;
        return plan;
    }
    const std::size_t legs = loop ? shapes : shapes - 1;
    // How many legs in: t of them all, exact where a frame falls on a shape.
    const int steps = loop ? count : count - 1;
    const double along = steps > 0 ? double(frame) * double(legs) / double(steps) : 0.0;
    const std::size_t leg = std::min(static_cast<std::size_t>(along), legs - 1);
    plan.from = leg;
    plan.to = (leg + 1) % shapes;
    plan.blend = smoothstep(along - double(leg));
    plan.turn = turn_per_leg * along;
    return plan;
}

bool loop_closes(std::size_t shapes, double turn_per_leg)
{
    constexpr double seam_tolerance = 0.05;
    const double whole = turn_per_leg * double(shapes);
    return std::abs(whole - 360.0 * std::round(whole / 360.0)) <= seam_tolerance;
}

Tparams blend(const Tparams& from, const Tparams& to, double blend)
{
    if (blend <= 0.0)
        return from;
    if (blend >= 1.0)
        return to;
    Tparams first = from, second = to;
    if (first.sets_linked != 0)
        params::link_sets(first);
    if (second.sets_linked != 0)
        params::link_sets(second);
    Tparams mixed = first;
    for (const params::Field& field : params::saved_fields) {
        switch (field.kind) {
        case params::Kind::number: {
            const double x = first.*field.number, y = second.*field.number;
            mixed.*field.number =
                static_cast<float>(by_reciprocal(field) ? 1.0 / mix(1.0 / x, 1.0 / y, blend) : mix(x, y, blend));
            break;
        }
        case params::Kind::count:
            mixed.*field.count =
                static_cast<std::int32_t>(std::lround(mix(first.*field.count, second.*field.count, blend)));
            break;
        case params::Kind::colour:
            for (int i = 0; i < 4; ++i)
                (mixed.*field.colour)[i] = static_cast<std::uint8_t>(
                    std::lround(mix((first.*field.colour)[i], (second.*field.colour)[i], blend)));
            break;
        case params::Kind::text: break;
        }
    }
    mixed.sets_linked = first.sets_linked != 0 && second.sets_linked != 0 ? truth_on : 0;
    return mixed;
}

int frame_start(int frame, int fps, int ticks_per_second)
{
    const long long ticks = 2LL * frame * ticks_per_second + fps;
    return static_cast<int>(ticks / (2LL * fps));
}

} // namespace animation
