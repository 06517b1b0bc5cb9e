#include "shape/mesh_view.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Nsupershape {
namespace {

bool finite_point(const Tvector3& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

Tvector3 as_tvector(const Vector3<float>& v)
{
    return {v.x, v.y, v.z};
}

// The power of two that brings the largest finite coordinate of `mesh` to
// between 1 and 2 (or as near as a float's exponent reaches), or 1 for a
// mesh without one. Scaling by it is exact, so that a float's products
// neither underflow for a tiny shape nor overflow for a huge one, and the
// normals come out as at the editor's size.
float unit_scale(const Mesh_view& mesh)
{
    float largest = 0;
    for (std::size_t k = 0; k < mesh.vertex_count; ++k)
        for (const float c : {mesh.positions[k].x, mesh.positions[k].y, mesh.positions[k].z})
            if (std::isfinite(c))
                largest = std::max(largest, std::fabs(c));
    constexpr int largest_exponent = std::numeric_limits<float>::max_exponent - 1;
    return largest > 0 ? std::ldexp(1.0f, std::min(-std::ilogb(largest), largest_exponent)) : 1.0f;
}

} // namespace

bool indices_in_range(const Mesh_view& mesh)
{
    const auto in_range = [&mesh](std::int32_t index) {
        return index >= 0 && static_cast<std::size_t>(index) < mesh.vertex_count;
    };
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        const Ttriangle& triangle = mesh.triangles[t];
        if (!in_range(triangle.i0) || !in_range(triangle.i1) || !in_range(triangle.i2))
            return false;
    }
    return true;
}

bool vertex_normals(const Mesh_view& mesh, Tvector3* normals, Tvector3* face_normals)
{
    if (!indices_in_range(mesh))
        return false;
    std::fill(normals, normals + mesh.vertex_count, Tvector3{0.0f, 0.0f, 0.0f});
    const float scale = unit_scale(mesh);
    const auto scaled = [&](std::int32_t k) {
        const Tvector3& p = mesh.positions[k];
        return Tvector3{p.x * scale, p.y * scale, p.z * scale};
    };
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        const auto [i0, i1, i2] = mesh.triangles[t];
        Tvector3 n = as_tvector(area_normal<float>(scaled(i0), scaled(i1), scaled(i2)));
        if (!finite_point(n))
            n = {0.0f, 0.0f, 0.0f};
        if (face_normals)
            face_normals[t] = n;
        for (const std::int32_t corner : {i0, i1, i2}) {
            Tvector3& sum = normals[corner];
            sum = {sum.x + n.x, sum.y + n.y, sum.z + n.z};
        }
    }
    for (std::size_t i = 0; i < mesh.vertex_count; ++i) {
        Tvector3& n = normals[i];
        const double size = std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
        if (size > 0.0 && std::isfinite(size))
            n = {static_cast<float>(n.x / size), static_cast<float>(n.y / size), static_cast<float>(n.z / size)};
        else
            n = {0.0f, 0.0f, 0.0f};
    }
    return true;
}

} // namespace Nsupershape
