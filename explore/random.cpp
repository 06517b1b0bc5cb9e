// The draws: SplitMix64 and a mapping of our own onto stepped values, so that
// no standard library's distributions, which differ between libraries, decide
// a shape.
#include "explore/random.h"

#include "shape/grid.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <iterator>
#include <vector>

namespace explore {
namespace {

class Generator {
public:
    explicit Generator(std::uint64_t state) : state_(state) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    }

    // A whole number from 0 to `count` - 1.
    std::uint32_t below(std::uint32_t count) { return std::uint32_t(((next() >> 32) * count) >> 32); }

private:
    std::uint64_t state_;
};

// Where a formula number is drawn: from `low` to `high` in steps of
// 1 / `per_unit`. With a and b near 1 and the exponents positive and bounded,
// |cos u / a|^n2 + |sin u / b|^n3 stays between about 0.1 and 5, so every
// radius is finite and neither vanishes nor explodes; whole m keep the
// symmetry whole.
struct Range {
    float Tparams::*number;
    double low, high;
    int per_unit;
};
constexpr Range ranges[] = {
    {&Tparams::a, 0.8, 1.25, 100}, {&Tparams::b, 0.8, 1.25, 100}, {&Tparams::m, 0, 12, 1},
    {&Tparams::n1, 0.3, 4, 20},    {&Tparams::n2, 0.3, 4, 20},    {&Tparams::n3, 0.3, 4, 20},
};

// The range of a formula number of either set; null for any other field.
const Range* range_of(const params::Field& field)
{
    float Tparams::*const number = field.first_set_twin ? field.first_set_twin : field.number;
    const auto found = std::find_if(std::begin(ranges), std::end(ranges),
                                    [number](const Range& range) { return range.number == number; });
    return field.kind == params::Kind::number && found != std::end(ranges) ? found : nullptr;
}

constexpr int colour_field = [] {
    for (int i = 0; i < params::saved_field_count; ++i)
        if (params::saved_fields[i].kind == params::Kind::colour)
            return i;
    return -1;
}();

// Tries of one draw before it is refused.
constexpr int max_tries = 64;
// The smallest side of the box against its largest.
constexpr float least_side_share = 0.1f;

// Whether `params`'s grid, as Reset builds it, is finite and no side of its
// box under a tenth of the largest; `positions` is room the checks reuse.
bool shapely(const Tparams& params, std::vector<Nsupershape::Tvector3>& positions)
{
    const Nsupershape::Formula formula = Nsupershape::formula_of(params);
    if (!Nsupershape::refusal(formula).empty() ||
        (Nsupershape::is_ring(formula) && !(formula.torus > Nsupershape::tube_reach(formula, params.slices))))
        return false;
    const Nsupershape::Mesh_size size = Nsupershape::grid_size(params.slices, params.bands);
    positions.resize(size.vertex_count);
    Nsupershape::build_as_reset(params, positions.data(), nullptr);
    float low[3] = {INFINITY, INFINITY, INFINITY}, high[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (const Nsupershape::Tvector3& p : positions) {
        const float xyz[3] = {p.x, p.y, p.z};
        for (int axis = 0; axis < 3; ++axis) {
            if (!std::isfinite(xyz[axis]))
                return false;
            low[axis] = std::min(low[axis], xyz[axis]);
            high[axis] = std::max(high[axis], xyz[axis]);
        }
    }
    float sides[3];
    for (int axis = 0; axis < 3; ++axis)
        sides[axis] = high[axis] - low[axis];
    const float largest = *std::max_element(sides, sides + 3);
    return positions.empty() || (largest > 0 && *std::min_element(sides, sides + 3) >= least_side_share * largest);
}

// Steps of a drawn twist, 15 degrees each, and of a drawn torus beyond the
// tube's reach, a tenth each.
constexpr std::uint32_t twist_steps = 12, torus_steps = 20;
constexpr float twist_step = 15;
constexpr double torus_step = 0.1;

// A plain ball, a twisted one or a ring, drawn for `shape`, whose sets are drawn.
void draw_ring_or_twist(Generator& generator, Tparams& shape)
{
    const std::uint32_t kind = generator.below(3);
    const std::uint32_t twist = generator.below(2 * twist_steps), torus = generator.below(torus_steps);
    shape.torus = 0;
    shape.twist = 0;
    if (kind == 1)
        shape.twist = twist_step * (twist < twist_steps ? float(twist) - twist_steps : float(twist) - twist_steps + 1);
    if (kind == 2) {
        shape.torus = 1; // any ring, for its reach
        const double reach = Nsupershape::tube_reach(Nsupershape::formula_of(shape), shape.slices);
        const double tenths = std::isfinite(reach) ? std::ceil(reach / torus_step) : 0;
        shape.torus = float((tenths + 1 + torus) * torus_step);
    }
}

} // namespace

bool lock_named(std::string_view name, Locks& locks)
{
    const params::Field* field = params::field_named(name);
    if (!field || (!range_of(*field) && field->kind != params::Kind::colour))
        return false;
    locks.set(std::size_t(field - params::saved_fields));
    return true;
}

std::uint64_t clock_seed()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) % 1000000000u;
}

runtime::Status random_shape(std::uint64_t seed, std::uint64_t draw, const Tparams& current, const Locks& locks,
                             Tparams& drawn, bool rings_and_twists)
{
    Generator generator(Generator(seed).next() ^ draw);
    // The second set as the shape has it: its first, while linked.
    Tparams kept = current;
    if (kept.sets_linked != 0)
        params::link_sets(kept);
    bool second_set_locked = false;
    for (int i = 0; i < params::saved_field_count; ++i)
        second_set_locked = second_set_locked ||
                            (locks[i] && params::saved_fields[i].group == params::Group::second_set);

    std::vector<Nsupershape::Tvector3> positions;
    for (int attempt = 0; attempt < max_tries; ++attempt) {
        Tparams shape = kept;
        // Every value is drawn, locked or not, so that a lock changes nothing
        // else of a try.
        for (int i = 0; i < params::saved_field_count; ++i) {
            const params::Field& field = params::saved_fields[i];
            if (const Range* range = range_of(field)) {
                const auto steps = std::uint32_t(std::lround((range->high - range->low) * range->per_unit));
                const float value = float(range->low + double(generator.below(steps + 1)) / range->per_unit);
                if (!locks[i])
                    shape.*field.number = value;
            }
        }
        std::uint8_t colour[3];
        for (std::uint8_t& byte : colour)
            byte = std::uint8_t(64 + generator.below(192));
        if (!locks[colour_field]) {
            std::copy(std::begin(colour), std::end(colour), shape.color);
            shape.color[3] = 255;
        }
        const bool two_sets = generator.below(2) == 1 || second_set_locked;
        if (two_sets)
            shape.sets_linked = 0;
        else
            params::link_sets(shape);
        if (rings_and_twists)
            draw_ring_or_twist(generator, shape);
        if (shapely(shape, positions)) {
            drawn = shape;
            return {};
        }
    }
    return runtime::refused("no shape within " + std::to_string(max_tries) +
                            " tries has finite positions and a box no side of which is under a tenth of the largest, "
                            "with these kept values at this grid");
}

} // namespace explore
