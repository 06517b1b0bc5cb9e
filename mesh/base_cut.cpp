#include "mesh/base_cut.h"

#include "mesh/plane_polygon.h"
#include "mesh/statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <vector>

namespace mesh {
namespace {

double twice_area(const Loop& loop, const std::vector<Point2>& points)
{
    double sum = 0;
    for (std::size_t k = 0; k < loop.size(); ++k) {
        const Point2 &p = points[loop[k]], &q = points[loop[(k + 1) % loop.size()]];
        sum += p.a * q.b - q.a * p.b;
    }
    return sum;
}

// Whether `q` lies inside `loop`, by the crossings of a ray to the right.
bool inside(const Point2& q, const Loop& loop, const std::vector<Point2>& points)
{
    bool in = false;
    for (std::size_t k = 0; k < loop.size(); ++k) {
        const Point2 &u = points[loop[k]], &v = points[loop[(k + 1) % loop.size()]];
        if ((u.b <= q.b) != (v.b <= q.b) && q.a < u.a + (q.b - u.b) * (v.a - u.a) / (v.b - u.b))
            in = !in;
    }
    return in;
}

// The cap over `loops`: each outline round solid with the holes that lie
// directly inside it, facing down.
void cap(const std::vector<Loop>& loops, const std::vector<Point2>& points, std::vector<Ttriangle>& triangles)
{
    std::vector<double> areas;
    for (const Loop& loop : loops)
        areas.push_back(twice_area(loop, points));
    std::vector<std::vector<std::size_t>> holes(loops.size());
    for (std::size_t h = 0; h < loops.size(); ++h) {
        if (areas[h] >= 0)
            continue;
        std::size_t owner = loops.size();
        for (std::size_t o = 0; o < loops.size(); ++o)
            if (areas[o] > 0 && (owner == loops.size() || areas[o] < areas[owner]) &&
                inside(points[loops[h][0]], loops[o], points))
                owner = o;
        if (owner < loops.size())
            holes[owner].push_back(h);
    }
    const std::size_t first = triangles.size();
    for (std::size_t o = 0; o < loops.size(); ++o) {
        if (areas[o] <= 0)
            continue;
        std::vector<const Loop*> inside_holes;
        for (const std::size_t h : holes[o])
            inside_holes.push_back(&loops[h]);
        fill_polygon(loops[o], inside_holes, points, triangles);
    }
    for (std::size_t t = first; t < triangles.size(); ++t)
        std::swap(triangles[t].i1, triangles[t].i2);
}

} // namespace

double based_scale(const Box& box, Up up, double fit, double base)
{
    const double x = double(box.max.x) - box.min.x, y = double(box.max.y) - box.min.y,
                 z = double(box.max.z) - box.min.z;
    const double height = up == Up::y ? y : z, width = up == Up::y ? std::max(x, z) : std::max(x, y);
    // The largest of s x width and s x height - base, which grow with s.
    return std::min(width > 0 ? fit / width : std::numeric_limits<double>::infinity(), (fit + base) / height);
}

Status cut_base(Triangle_mesh& mesh, Up up, double height)
{
    const Axes axes = axes_of(up);
    float low = std::numeric_limits<float>::infinity(), high = -low;
    for (const Tvector3& p : mesh.positions) {
        low = std::min(low, p.*axes.height);
        high = std::max(high, p.*axes.height);
    }
    const auto plane = static_cast<float>(low + height);
    if (!(height > 0) || !(plane < high))
        return runtime::refused("the base is not below the shape's height");

    std::vector<Tvector3> positions;
    std::vector<std::int32_t> kept(mesh.positions.size(), -1);
    for (std::size_t k = 0; k < mesh.positions.size(); ++k)
        if (mesh.positions[k].*axes.height > plane) {
            kept[k] = static_cast<std::int32_t>(positions.size());
            positions.push_back(mesh.positions[k]);
        }
    // One vertex in the plane for each edge it crosses, found from either side.
    std::unordered_map<std::uint64_t, std::int32_t> crossings;
    std::vector<std::int32_t> outline_next;
    const auto crossing = [&](std::int32_t p, std::int32_t q) {
        const std::int32_t above = kept[p] >= 0 ? p : q, below = above == p ? q : p;
        const std::uint64_t key = std::uint64_t(std::uint32_t(above)) << 32 | std::uint32_t(below);
        const auto [found, made] = crossings.emplace(key, static_cast<std::int32_t>(positions.size()));
        if (made) {
            const Tvector3 &u = mesh.positions[below], &v = mesh.positions[above];
            const double t = (double(plane) - u.*axes.height) / (double(v.*axes.height) - u.*axes.height);
            Tvector3 point{};
            point.*axes.height = plane;
            point.*axes.across = static_cast<float>(u.*axes.across + t * (double(v.*axes.across) - u.*axes.across));
            point.*axes.along = static_cast<float>(u.*axes.along + t * (double(v.*axes.along) - u.*axes.along));
            positions.push_back(point);
            outline_next.push_back(-1);
        }
        return found->second;
    };
    const std::size_t first_crossing = positions.size();
    std::vector<Ttriangle> triangles;
    triangles.reserve(mesh.triangles.size());
    for (const Ttriangle& tri : mesh.triangles) {
        std::int32_t v[3] = {tri.i0, tri.i1, tri.i2};
        const int above = (kept[v[0]] >= 0) + (kept[v[1]] >= 0) + (kept[v[2]] >= 0);
        if (above == 0)
            continue;
        if (above == 3) {
            triangles.push_back({kept[v[0]], kept[v[1]], kept[v[2]]});
            continue;
        }
        // Turned so that v[0] is the one above (one above) or v[2] the one
        // below (two above), keeping the winding.
        while (above == 1 ? kept[v[0]] < 0 : kept[v[2]] >= 0)
            std::rotate(v, v + 1, v + 3);
        std::int32_t from, to;
        if (above == 1) {
            from = crossing(v[0], v[1]);
            to = crossing(v[2], v[0]);
            triangles.push_back({kept[v[0]], from, to});
        } else {
            from = crossing(v[1], v[2]);
            to = crossing(v[2], v[0]);
            triangles.push_back({kept[v[0]], kept[v[1]], from});
            triangles.push_back({kept[v[0]], from, to});
        }
        outline_next[std::size_t(from) - first_crossing] = to;
    }
    std::vector<Loop> loops;
    std::vector<bool> walked(outline_next.size(), false);
    for (std::size_t k = 0; k < outline_next.size(); ++k) {
        Loop loop;
        for (std::size_t at = k; !walked[at] && outline_next[at] >= 0;
             at = std::size_t(outline_next[at]) - first_crossing) {
            walked[at] = true;
            loop.push_back(static_cast<std::int32_t>(at + first_crossing));
        }
        if (loop.size() >= 3)
            loops.push_back(std::move(loop));
    }
    std::vector<Point2> points(positions.size());
    for (std::size_t k = first_crossing; k < positions.size(); ++k)
        points[k] = {positions[k].*axes.across, positions[k].*axes.along};
    cap(loops, points, triangles);
    mesh.positions = std::move(positions);
    mesh.triangles = std::move(triangles);
    return {};
}

} // namespace mesh
