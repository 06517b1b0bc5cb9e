// A hollow shell: the closed mesh with a second, inward-facing surface at a
// true distance inside it, found on a signed distance grid.
#pragma once

#include "mesh/triangle_mesh.h"

#include <cstddef>
#include <functional>
#include <string>

namespace mesh {

// The grid's spacing is the wall divided by this: its surface lies within
// about one spacing of the exact offset, a tenth of the wall.
constexpr double shell_cells_per_wall = 10;
// The inner surface is meshed this many walls deep: half a spacing more than
// the wall, since the meshed surface strays up to about that from its level.
constexpr double shell_level_walls = 1 + 0.5 / shell_cells_per_wall;

// The grid's memory grows with the square of the largest side over the
// wall: at a hundredth, about a gigabyte. A thinner wall is refused.
constexpr double shell_least_wall_share = 0.01;

// In millimetres.
struct Shell_report {
    // The nearest any inner vertex comes to the outer surface, measured to
    // the outer triangles themselves.
    double thinnest_wall = 0;
    // The furthest any inner vertex lies from the level it was meshed at,
    // as the grid tells.
    double deviation = 0;
    // Places thinner than twice the wall, left solid: the inner surface
    // does not reach them.
    std::size_t solid_places = 0;
    std::size_t inner_vertex_count = 0;
    std::size_t inner_triangle_count = 0;
};

// "1.25 mm", to two decimals: the words of the shell and its drain.
std::string millimetres(double value);

// The share of the work done, from 0 to 1, as it goes.
using Progress = std::function<void(double)>;

// Hollows closed, outward-facing `mesh`, whose unit is `millimetres_per_unit`,
// by a wall `wall_millimetres` thick: keeps its vertices and triangles as
// they are and appends the inner surface, closed and facing inward, every
// point at least the wall from the outer one. Refuses a wall that is not
// positive, reaches half the smallest side of the bounding box or is under
// shell_least_wall_share of its largest, and a mesh
// with no room inside for a cavity, leaving the mesh as it was. Throws
// std::bad_alloc when memory runs out.
Status hollow(Triangle_mesh& mesh, double wall_millimetres, double millimetres_per_unit, Shell_report& report,
              const Progress& progress = {});

} // namespace mesh
