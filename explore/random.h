// Random shapes to explore from: draws that a seed makes the same on every
// machine, within ranges where the superformula stays finite and shapely,
// each checked at the shape's own grid. Locked fields keep their values.
#pragma once

#include "params/Tparams.h"
#include "params/fields.h"
#include "runtime/status.h"

#include <bitset>
#include <cstdint>
#include <string_view>

namespace explore {

// The fields a draw keeps, by their place in params::saved_fields: the
// twelve formula numbers and the colour may be locked.
using Locks = std::bitset<params::saved_field_count>;

// Locks the field called `name` ("m", "color"); false when there is
// no such field or it cannot be locked.
bool lock_named(std::string_view name, Locks& locks);

// A seed from the clock, short enough to read off and type again: the
// microseconds of the current thousand seconds.
std::uint64_t clock_seed();

// Draw number `draw` (from 1) of `seed`: both sets and whether they are
// linked (two when a number of the second set is locked), and the colour,
// each unless locked; everything else, the grid included, is `current`'s.
// It depends on nothing but its arguments. The numbers are drawn with few
// decimals from ranges where each radius is finite and bounded (a, b from
// 0.8 to 1.25, n1 from 0.3 to 4, n2 and n3 from 0.3 to 4, m a whole number
// up to 12), and a draw is tried again until its grid has finite positions
// and a box whose smallest side is at least a tenth of its largest. Refused
// when no try within a fixed number does, as locked values may make it.
// With `rings_and_twists` each try then draws more, alike likely: a plain
// ball, one twisted by a whole number of 15 degrees up to half a turn either
// way, or a ring whose torus clears the tube's reach by a tenth to two, in
// tenths; without it the torus and the twist are `current`'s
// and a seed draws what it drew before there were rings. A ring whose tube
// reaches its axis, or a twisted ring, is tried again.
runtime::Status random_shape(std::uint64_t seed, std::uint64_t draw, const Tparams& current, const Locks& locks,
                             Tparams& drawn, bool rings_and_twists = false);

} // namespace explore
