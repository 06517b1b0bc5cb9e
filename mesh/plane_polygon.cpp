#include "mesh/plane_polygon.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mesh {
namespace {

bool same(const Point2& p, const Point2& q)
{
    return p.a == q.a && p.b == q.b;
}

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

} // namespace

Axes axes_of(Up up)
{
    return up == Up::y ? Axes{&Tvector3::y, &Tvector3::z, &Tvector3::x}
                       : Axes{&Tvector3::z, &Tvector3::x, &Tvector3::y};
}

void fill_polygon(const Loop& outline, const std::vector<const Loop*>& holes, const std::vector<Point2>& points,
                  std::vector<Ttriangle>& out)
{
    Cap polygon(points, out);
    const int ring = polygon.add_ring(outline);
    // Rightmost first, so that each bridge sees past the holes still out.
    const auto rightmost = [&](const Loop* hole) {
        double a = -std::numeric_limits<double>::infinity();
        for (const std::int32_t v : *hole)
            a = std::max(a, points[v].a);
        return a;
    };
    std::vector<const Loop*> ordered = holes;
    std::sort(ordered.begin(), ordered.end(),
              [&](const Loop* p, const Loop* q) { return rightmost(p) > rightmost(q); });
    for (const Loop* hole : ordered)
        polygon.bridge(ring, polygon.add_ring(*hole));
    polygon.clip(ring);
}

} // namespace mesh
