#include "mesh/base_cut.h"

#include "mesh/statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <vector>

namespace mesh {
namespace {

// Height along `up`, then the two coordinates across it, right-handed with it.
struct Axes {
    float Tvector3::*height;
    float Tvector3::*across;
    float Tvector3::*along;
};

Axes axes_of(Up up)
{
    return up == Up::y ? Axes{&Tvector3::y, &Tvector3::z, &Tvector3::x}
                       : Axes{&Tvector3::z, &Tvector3::x, &Tvector3::y};
}

struct Point2 {
    double a, b;
};

// Twice the signed area of o, p, q: positive when they turn anticlockwise.
double turn(const Point2& o, const Point2& p, const Point2& q)
{
    return (p.a - o.a) * (q.b - o.b) - (p.b - o.b) * (q.a - o.a);
}

bool same(const Point2& p, const Point2& q)
{
    return p.a == q.a && p.b == q.b;
}

// One outline of the cut, as vertex indices in the order the kept surface
// runs along it: anticlockwise seen from above around solid, clockwise
// around a hole.
using Loop = std::vector<std::int32_t>;

// The cap's triangulation: a polygon as a ring of nodes, each a vertex (a
// bridged vertex appears twice), clipped ear by ear.
class Cap {
public:
    Cap(const std::vector<Point2>& points, std::vector<Ttriangle>& out) : points_(points), out_(out) {}

    // The nodes of `loop`, a ring of its own; returns its first node.
    int add_ring(const Loop& loop)
    {
        const int first = static_cast<int>(vertex_.size());
        for (std::size_t k = 0; k < loop.size(); ++k) {
            vertex_.push_back(loop[k]);
            next_.push_back(first + int((k + 1) % loop.size()));
            prev_.push_back(first + int((k + loop.size() - 1) % loop.size()));
        }
        return first;
    }

    // Joins the ring of `hole` into the ring through `outer` by a bridge from
    // its rightmost vertex to a vertex of the outer ring that it sees.
    void bridge(int outer, int hole)
    {
        int m = hole;
        for (int k = next_[hole]; k != hole; k = next_[k])
            if (at(k).a > at(m).a)
                m = k;
        const int p = visible(outer, m);
        // p -> m ... around the hole ... -> m' -> p' -> on around the outer ring.
        const int m2 = copy(m), p2 = copy(p);
        const int after_p = next_[p], before_m = prev_[m];
        link(p, m);
        link(before_m, m2);
        link(m2, p2);
        link(p2, after_p);
    }

    // Clips the ring through `start` into triangles, anticlockwise.
    void clip(int start)
    {
        int node = start, count = 1;
        for (int k = next_[start]; k != start; k = next_[k])
            ++count;
        int tried = 0;
        while (count > 3) {
            const bool stuck = tried > count;
            if (is_ear(node) || stuck) {
                // Stuck only where rounding leaves no ear: the ring is still
                // closed and its triangles still cover it.
                emit(prev_[node], node, next_[node]);
                link(prev_[node], next_[node]);
                node = prev_[node];
                --count;
                tried = 0;
            } else {
                node = next_[node];
                ++tried;
            }
        }
        emit(prev_[node], node, next_[node]);
    }

private:
    const Point2& at(int node) const { return points_[vertex_[node]]; }
    void link(int from, int to)
    {
        next_[from] = to;
        prev_[to] = from;
    }
    int copy(int node)
    {
        vertex_.push_back(vertex_[node]);
        next_.push_back(next_[node]);
        prev_.push_back(prev_[node]);
        return static_cast<int>(vertex_.size()) - 1;
    }
    void emit(int p, int q, int r) { out_.push_back({vertex_[p], vertex_[q], vertex_[r]}); }

    bool is_ear(int node) const
    {
        const int p = prev_[node], n = next_[node];
        const Point2 &a = at(p), &b = at(node), &c = at(n);
        if (turn(a, b, c) <= 0)
            return false;
        for (int k = next_[n]; k != p; k = next_[k]) {
            const Point2& q = at(k);
            if (same(q, a) || same(q, b) || same(q, c))
                continue;
            if (turn(a, b, q) >= 0 && turn(b, c, q) >= 0 && turn(c, a, q) >= 0)
                return false;
        }
        return true;
    }

    // A node of the ring through `outer` that the rightmost node `m` of a
    // hole inside it sees: where a ray to the right meets the ring first,
    // the edge's right end, or the reflex node in between nearest the ray.
    int visible(int outer, int m) const
    {
        const Point2& from = at(m);
        double nearest = std::numeric_limits<double>::infinity();
        int hit = -1;
        int k = outer;
        do {
            const int n = next_[k];
            const Point2 &u = at(k), &v = at(n);
            if ((u.b <= from.b) != (v.b <= from.b)) {
                const double x = u.a + (from.b - u.b) * (v.a - u.a) / (v.b - u.b);
                if (x >= from.a && x < nearest) {
                    nearest = x;
                    // Where the ray passes through a vertex, that vertex.
                    hit = u.b == from.b ? k : v.b == from.b ? n : u.a > v.a ? k : n;
                }
            }
            k = n;
        } while (k != outer);
        if (hit < 0)
            return outer;
        const Point2 ray_end{nearest, from.b}, &p = at(hit);
        int best = hit;
        double best_slope = std::numeric_limits<double>::infinity();
        k = outer;
        do {
            const Point2& q = at(k);
            const bool reflex = turn(at(prev_[k]), q, at(next_[k])) <= 0;
            const double side = turn(from, ray_end, p);
            if (k != hit && reflex && q.a > from.a && turn(from, ray_end, q) * side >= 0 &&
                turn(ray_end, p, q) * side >= 0 && turn(p, from, q) * side >= 0) {
                const double slope = std::fabs(q.b - from.b) / (q.a - from.a);
                if (slope < best_slope) {
                    best_slope = slope;
                    best = k;
                }
            }
            k = next_[k];
        } while (k != outer);
        return best;
    }

    const std::vector<Point2>& points_;
    std::vector<Ttriangle>& out_;
    std::vector<std::int32_t> vertex_;
    std::vector<int> next_, prev_;
};

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
    Cap polygon(points, triangles);
    for (std::size_t o = 0; o < loops.size(); ++o) {
        if (areas[o] <= 0)
            continue;
        const int ring = polygon.add_ring(loops[o]);
        // Rightmost first, so that each bridge sees past the holes still out.
        const auto rightmost = [&](std::size_t h) {
            double a = -std::numeric_limits<double>::infinity();
            for (const std::int32_t v : loops[h])
                a = std::max(a, points[v].a);
            return a;
        };
        std::sort(holes[o].begin(), holes[o].end(),
                  [&](std::size_t p, std::size_t q) { return rightmost(p) > rightmost(q); });
        for (const std::size_t h : holes[o])
            polygon.bridge(ring, polygon.add_ring(loops[h]));
        polygon.clip(ring);
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
