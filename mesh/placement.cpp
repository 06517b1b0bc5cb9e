#include "mesh/placement.h"

#include "mesh/base_cut.h"
#include "mesh/statistics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace mesh {
namespace {

// Whether each side of the box has an extent.
std::array<bool, 3> sides_with_extent(const Box& box)
{
    return {box.max.x > box.min.x, box.max.y > box.min.y, box.max.z > box.min.z};
}

} // namespace

Status place(Triangle_mesh& mesh, const Placement& placement, double millimetres_per_unit)
{
    if (placement.up == Up::z)
        for (Tvector3& p : mesh.positions)
            p = {p.x, -p.z, p.y};
    const double base = placement.base_millimetres / millimetres_per_unit;
    const auto cut = [&]() { return base > 0 ? cut_base(mesh, placement.up, base) : Status{}; };
    if (placement.fit_millimetres <= 0)
        return cut();
    const Box box = bounding_box(mesh.view());
    const double largest =
        std::max({double(box.max.x) - box.min.x, double(box.max.y) - box.min.y, double(box.max.z) - box.min.z});
    if (!(largest > 0))
        return cut();
    const double fit = placement.fit_millimetres / millimetres_per_unit;
    const auto factor = static_cast<float>(base > 0 ? based_scale(box, placement.up, fit, base) : fit / largest);
    float largest_coordinate = 0;
    for (Tvector3& p : mesh.positions) {
        p = {p.x * factor, p.y * factor, p.z * factor};
        largest_coordinate = std::max({largest_coordinate, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
    }
    // The fit is at most 1e6 millimetres, so nothing overflows.
    if (largest_coordinate < std::numeric_limits<float>::min() ||
        sides_with_extent(bounding_box(mesh.view())) != sides_with_extent(box))
        return runtime::refused("too small for single precision floats at that fit: its corners would meet");
    return cut();
}

} // namespace mesh
