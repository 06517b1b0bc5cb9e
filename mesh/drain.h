// A drain for a hollow shell: one round hole up through its floor, so that
// resin or powder can leave the cavity.
#pragma once

#include "mesh/placement.h"

#include <cstddef>

namespace mesh {

// The hole is a prism of this many sides around the circle asked for.
constexpr int drain_sides = 32;

// A narrower hole lets no resin out: it is refused.
constexpr double least_drain_millimetres = 0.5;

// Where the hole was drilled: its axis, across and along `up`, in the
// mesh's units, and how much it cut off the bottom, in millimetres.
struct Drain_report {
    double across = 0, along = 0;
    double height_lost = 0;
};

// Drills a hole `diameter_millimetres` across (the circle inside its
// polygon) straight up through the floor of hollow `mesh` into the cavity:
// through its flat base, or else its lowest point or its middle, where it
// cuts less than its radius off the bottom; only where none of them takes
// it so, where it cuts away a tip. Its first
// `outer_triangle_count` triangles are the outer surface, the rest the inner
// one, as hollow() leaves them. The hole's wall is a tube joining the two
// surfaces, so the mesh stays closed and becomes one surface. Refuses, leaving
// the mesh as it was, where no such hole fits: below the floor or between
// the surfaces it would meet another part of the shape, or the floor is not
// wide enough, or the hole is under least_drain_millimetres. Throws std::bad_alloc when memory runs out.
Status drill_drain(Triangle_mesh& mesh, std::size_t outer_triangle_count, Up up, double diameter_millimetres,
                   double millimetres_per_unit, Drain_report& report);

} // namespace mesh
