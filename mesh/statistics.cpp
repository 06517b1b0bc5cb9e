// Bounding box, surface integrals and the closedness test over a mesh view.
#include "mesh/statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace mesh {
namespace {

using Vec = Nsupershape::Vector3<double>;

Vec to_double(const Tvector3& p)
{
    return {p.x, p.y, p.z};
}
double dot(const Vec& p, const Vec& q)
{
    return p.x * q.x + p.y * q.y + p.z * q.z;
}
// Six times the volume of the tetrahedron of the origin and a triangle.
double triple_product(const Vec& p, const Vec& q, const Vec& r)
{
    return dot(p, {q.y * r.z - q.z * r.y, q.z * r.x - q.x * r.z, q.x * r.y - q.y * r.x});
}

} // namespace

Box bounding_box(const Mesh_view& mesh)
{
    if (mesh.vertex_count == 0)
        return {};
    constexpr float inf = std::numeric_limits<float>::infinity();
    Box box{{inf, inf, inf}, {-inf, -inf, -inf}};
    for (std::size_t k = 0; k < mesh.vertex_count; ++k) {
        const Tvector3& p = mesh.positions[k];
        box.min = {std::min(box.min.x, p.x), std::min(box.min.y, p.y), std::min(box.min.z, p.z)};
        box.max = {std::max(box.max.x, p.x), std::max(box.max.y, p.y), std::max(box.max.z, p.z)};
    }
    return box;
}

Surface_integrals surface_integrals(const Mesh_view& mesh)
{
    double twice_area = 0, six_volume = 0;
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        const Ttriangle& tri = mesh.triangles[t];
        const Tvector3 &p = mesh.positions[tri.i0], &q = mesh.positions[tri.i1], &r = mesh.positions[tri.i2];
        const Vec normal = Nsupershape::area_normal(p, q, r);
        twice_area += std::sqrt(dot(normal, normal));
        six_volume += triple_product(to_double(p), to_double(q), to_double(r));
    }
    return {twice_area / 2, six_volume / 6};
}

// Each directed edge at most once and its reverse present: then every
// undirected edge lies in exactly two triangles, in opposite directions.
// The edges leaving each vertex are gathered as in a compressed adjacency
// list and sorted, so the test takes time linear in the triangles.
bool is_closed(const Mesh_view& mesh)
{
    if (mesh.triangle_count == 0)
        return false;
    const std::size_t n = mesh.vertex_count;
    std::vector<std::size_t> first(n + 1, 0);
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        const Ttriangle& tri = mesh.triangles[t];
        if (tri.i0 == tri.i1 || tri.i1 == tri.i2 || tri.i2 == tri.i0)
            return false;
        ++first[tri.i0 + 1];
        ++first[tri.i1 + 1];
        ++first[tri.i2 + 1];
    }
    for (std::size_t v = 0; v < n; ++v)
        first[v + 1] += first[v];
    std::vector<std::int32_t> targets(first[n]);
    std::vector<std::size_t> fill(first.begin(), first.end() - 1);
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        const Ttriangle& tri = mesh.triangles[t];
        targets[fill[tri.i0]++] = tri.i1;
        targets[fill[tri.i1]++] = tri.i2;
        targets[fill[tri.i2]++] = tri.i0;
    }
    for (std::size_t v = 0; v < n; ++v) {
        const auto begin = targets.begin() + first[v], end = targets.begin() + first[v + 1];
        std::sort(begin, end);
        if (std::adjacent_find(begin, end) != end)
            return false;
    }
    for (std::size_t v = 0; v < n; ++v) {
        for (std::size_t e = first[v]; e < first[v + 1]; ++e) {
            const std::int32_t w = targets[e];
            if (!std::binary_search(targets.begin() + first[w], targets.begin() + first[w + 1], std::int32_t(v)))
                return false;
        }
    }
    return true;
}

Mesh_statistics measure(const Mesh_view& mesh)
{
    return {mesh.vertex_count, mesh.triangle_count, bounding_box(mesh), is_closed(mesh), surface_integrals(mesh)};
}

} // namespace mesh
