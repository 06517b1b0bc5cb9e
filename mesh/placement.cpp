#include "mesh/placement.h"

#include "mesh/statistics.h"

#include <algorithm>

namespace mesh {

void place(Triangle_mesh& mesh, const Placement& placement, double millimetres_per_unit)
{
    if (placement.up == Up::z)
        for (Tvector3& p : mesh.positions)
            p = {p.x, -p.z, p.y};
    if (placement.fit_millimetres <= 0)
        return;
    const Box box = bounding_box(mesh.view());
    const double largest =
        std::max({double(box.max.x) - box.min.x, double(box.max.y) - box.min.y, double(box.max.z) - box.min.z});
    if (!(largest > 0))
        return;
    const auto factor = static_cast<float>(placement.fit_millimetres / millimetres_per_unit / largest);
    for (Tvector3& p : mesh.positions)
        p = {p.x * factor, p.y * factor, p.z * factor};
}

} // namespace mesh
