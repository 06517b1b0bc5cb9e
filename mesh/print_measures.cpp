#include "mesh/print_measures.h"

#include "mesh/plane_polygon.h"
#include "mesh/statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mesh {
namespace {

// Where the edge from `p` to `q` meets the plane, always from the lower end,
// so that both triangles along an edge find the same point.
Point2 crossing(const Tvector3& p, const Tvector3& q, const Axes& axes, double height)
{
    const Tvector3& low = p.*axes.height < q.*axes.height ? p : q;
    const Tvector3& high = &low == &p ? q : p;
    const double t = (height - low.*axes.height) / (double(high.*axes.height) - low.*axes.height);
    return {low.*axes.across + t * (double(high.*axes.across) - low.*axes.across),
            low.*axes.along + t * (double(high.*axes.along) - low.*axes.along)};
}

// The lowest coordinate along `up`; 0 for a mesh without vertices.
double lowest(const Mesh_view& mesh, const Axes& axes)
{
    double low = std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < mesh.vertex_count; ++k)
        low = std::min(low, double(mesh.positions[k].*axes.height));
    return mesh.vertex_count ? low : 0;
}

} // namespace

double cross_section_area(const Mesh_view& mesh, Up up, double height)
{
    const Axes axes = axes_of(up);
    double twice_area = 0;
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        const Ttriangle& tri = mesh.triangles[t];
        const Tvector3* corner[3] = {&mesh.positions[tri.i0], &mesh.positions[tri.i1], &mesh.positions[tri.i2]};
        bool above[3];
        for (int k = 0; k < 3; ++k)
            above[k] = corner[k]->*axes.height > height;
        if (above[0] == above[1] && above[1] == above[2])
            continue;
        // Seen from above with the surface facing outwards, the outline runs
        // from where the winding goes down through the plane to where it
        // comes up again, anticlockwise around the inside.
        Point2 down{}, rising{};
        for (int k = 0; k < 3; ++k) {
            const int next = (k + 1) % 3;
            if (above[k] && !above[next])
                down = crossing(*corner[k], *corner[next], axes, height);
            else if (!above[k] && above[next])
                rising = crossing(*corner[k], *corner[next], axes, height);
        }
        twice_area += down.a * rising.b - rising.a * down.b;
    }
    return twice_area / 2;
}

double contact_area(const Mesh_view& mesh, Up up, double units_contact_height)
{
    return cross_section_area(mesh, up, lowest(mesh, axes_of(up)) + units_contact_height);
}

Print_measures measure_print(const Mesh_view& mesh, Up up, double units_contact_height)
{
    const Axes axes = axes_of(up);
    const double steepest = std::cos(overhang_degrees * std::acos(-1.0) / 180);
    const double low = lowest(mesh, axes), resting = low + units_contact_height,
                 flat = low + units_contact_height / 100;
    double twice_area = 0, twice_overhang = 0, twice_flat = 0;
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        const Ttriangle& tri = mesh.triangles[t];
        const Tvector3 &p = mesh.positions[tri.i0], &q = mesh.positions[tri.i1], &r = mesh.positions[tri.i2];
        const Nsupershape::Vector3<double> normal = Nsupershape::area_normal(p, q, r);
        const double length = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
        twice_area += length;
        const double rise = up == Up::y ? normal.y : normal.z;
        const double top = std::max({p.*axes.height, q.*axes.height, r.*axes.height});
        if (top > resting && rise < -steepest * length)
            twice_overhang += length;
        if (top <= flat)
            twice_flat += length;
    }
    return {surface_integrals(mesh).volume, cross_section_area(mesh, up, resting),
            twice_area > 0 ? twice_overhang / twice_area : 0, twice_flat / 2};
}

} // namespace mesh
