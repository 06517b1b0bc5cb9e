#include "mesh/simplify.h"

#include "mesh/statistics.h"
#include "mesh/triangle_distance.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace mesh {
namespace {

using Point = Nsupershape::Vector3<double>;

Point point(const Tvector3& p)
{
    return {p.x, p.y, p.z};
}

Point operator-(const Point& p, const Point& q)
{
    return {p.x - q.x, p.y - q.y, p.z - q.z};
}

double dot(const Point& p, const Point& q)
{
    return p.x * q.x + p.y * q.y + p.z * q.z;
}

Point cross(const Point& p, const Point& q)
{
    return {p.y * q.z - p.z * q.y, p.z * q.x - p.x * q.z, p.x * q.y - p.y * q.x};
}

// The squared distance of the planes of a vertex's triangles from a point,
// each weighted by its triangle's area (Garland and Heckbert).
struct Quadric {
    double xx = 0, xy = 0, xz = 0, xw = 0, yy = 0, yz = 0, yw = 0, zz = 0, zw = 0, ww = 0;

    Quadric& operator+=(const Quadric& q)
    {
        xx += q.xx, xy += q.xy, xz += q.xz, xw += q.xw, yy += q.yy;
        yz += q.yz, yw += q.yw, zz += q.zz, zw += q.zw, ww += q.ww;
        return *this;
    }
    double at(const Point& p) const
    {
        return p.x * (xx * p.x + 2 * (xy * p.y + xz * p.z + xw)) + p.y * (yy * p.y + 2 * (yz * p.z + yw)) +
               p.z * (zz * p.z + 2 * zw) + ww;
    }
};

Quadric plane_quadric(const Point& p, const Point& q, const Point& r)
{
    const Point n = cross(q - p, r - p);
    const double twice_area = std::sqrt(dot(n, n));
    if (!(twice_area > 0))
        return {};
    const Point u{n.x / twice_area, n.y / twice_area, n.z / twice_area};
    const double d = -dot(u, p), w = twice_area / 2;
    return {w * u.x * u.x, w * u.x * u.y, w * u.x * u.z, w * u.x * d, w * u.y * u.y,
            w * u.y * u.z, w * u.y * d,   w * u.z * u.z, w * u.z * d, w * d * d};
}

// A triangle's new normal must stay within this of its old one: more would
// fold the surface over or leave a sliver standing on edge.
const double least_normal_cosine = 0.2;
// Nor may it meet a neighbour at an edge sharper than this, 120 degrees
// between normals: the lantern's ribs fold by about 90.
const double least_fold_cosine = -0.5;

// A way out of a vertex: the neighbour it would collapse onto.
struct Candidate {
    double cost;
    std::int32_t onto;
};

class Collapser {
public:
    Collapser(Triangle_mesh& mesh, Up up)
        : mesh_(mesh), quadrics_(mesh.positions.size()), own_error_(mesh.positions.size()),
          around_(mesh.positions.size()), mark_(mesh.positions.size(), 0), alive_(mesh.triangles.size(), 1),
          on_bed_(mesh.positions.size(), 0), merged_(mesh.positions.size(), 0), live_(mesh.triangles.size())
    {
        const auto height = [up](const Tvector3& p) { return up == Up::y ? p.y : p.z; };
        float lowest = std::numeric_limits<float>::infinity();
        for (const Tvector3& p : mesh.positions)
            lowest = std::min(lowest, height(p));
        for (std::size_t v = 0; v < mesh.positions.size(); ++v)
            on_bed_[v] = height(mesh.positions[v]) == lowest;
        for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
            const Ttriangle& tri = mesh.triangles[t];
            const Quadric q = plane_quadric(at(tri.i0), at(tri.i1), at(tri.i2));
            for (const std::int32_t v : {tri.i0, tri.i1, tri.i2}) {
                quadrics_[std::size_t(v)] += q;
                around_[std::size_t(v)].push_back(std::int32_t(t));
            }
        }
        for (std::size_t v = 0; v < mesh.positions.size(); ++v)
            own_error_[v] = quadrics_[v].at(at(std::int32_t(v)));
    }

    // Collapses until `target` triangles are left or no collapse is allowed.
    // Greedy by the error, in passes: each takes, in the mesh's own order,
    // which reads memory about in sequence, every vertex whose way out is
    // still below the error of as many collapses as are missing.
    std::size_t run(std::size_t target)
    {
        std::vector<std::int32_t> left(mesh_.positions.size());
        for (std::size_t v = 0; v < left.size(); ++v)
            left[v] = std::int32_t(v);
        std::vector<double> costs;
        bool everything = false;
        while (live_ > target) {
            costs.clear();
            for (const std::int32_t v : left)
                if (const double cost = cheapest(v); cost < std::numeric_limits<double>::infinity())
                    costs.push_back(cost);
            if (costs.empty())
                break;
            // Each collapse takes two triangles.
            const std::size_t wanted = (live_ - target + 1) / 2;
            const auto k = everything ? costs.size() - 1 : std::min(costs.size() - 1, wanted);
            std::nth_element(costs.begin(), costs.begin() + std::ptrdiff_t(k), costs.end());
            const double threshold = costs[k];
            const std::size_t before = live_;
            for (const std::int32_t v : left)
                if (live_ > target && !merged_[std::size_t(v)])
                    collapse_below(v, threshold);
            if (live_ == before && everything)
                break;
            everything = live_ == before;
            left.erase(
                std::remove_if(left.begin(), left.end(), [this](std::int32_t v) { return merged_[std::size_t(v)]; }),
                left.end());
        }
        return live_;
    }

    bool vertex_kept(std::size_t v) const { return !merged_[v]; }
    bool triangle_kept(std::size_t t) const { return alive_[t]; }

private:
    Point at(std::int32_t v) const { return point(mesh_.positions[std::size_t(v)]); }
    std::array<std::int32_t, 3> corners(std::int32_t t) const
    {
        const Ttriangle& tri = mesh_.triangles[std::size_t(t)];
        return {tri.i0, tri.i1, tri.i2};
    }
    // A vertex of the cap stays in its plane.
    bool allowed(std::int32_t from, std::int32_t to) const
    {
        return !on_bed_[std::size_t(from)] || on_bed_[std::size_t(to)];
    }

    // Every allowed collapse of `v` onto a neighbour, by its quadric error:
    // the sum of both quadrics at the neighbour, whose own share is kept.
    void ways_out(std::int32_t v, std::vector<Candidate>& ways)
    {
        ways.clear();
        const Quadric& q = quadrics_[std::size_t(v)];
        // Each neighbour follows `v` in exactly one triangle.
        for (const std::int32_t t : around_[std::size_t(v)]) {
            const auto c = corners(t);
            const std::int32_t w = c[0] == v ? c[1] : c[1] == v ? c[2] : c[0];
            if (allowed(v, w))
                ways.push_back({q.at(at(w)) + own_error_[std::size_t(w)], w});
        }
    }
    // Infinite for a vertex with no way out.
    double cheapest(std::int32_t v)
    {
        ways_out(v, ways_);
        double best = std::numeric_limits<double>::infinity();
        for (const Candidate& way : ways_)
            best = std::min(best, way.cost);
        return best;
    }

    // Collapses `v` the cheapest way that keeps the surface whole, if that
    // costs at most `threshold`.
    void collapse_below(std::int32_t v, double threshold)
    {
        ways_out(v, ways_);
        std::sort(ways_.begin(), ways_.end(), [](const Candidate& a, const Candidate& b) { return a.cost < b.cost; });
        for (const Candidate& way : ways_)
            if (way.cost > threshold || collapse(v, way.onto))
                return;
    }

    // Takes dead triangle `t` off the list of `v`.
    void drop(std::int32_t v, std::int32_t t)
    {
        std::vector<std::int32_t>& list = around_[std::size_t(v)];
        list.erase(std::find(list.begin(), list.end(), t));
    }

    // Whether a triangle of normal `n` along p -> q would fold back onto the
    // one across that side: small turns add up to a fold over many collapses.
    bool folds_onto_neighbour(const Point& n, std::int32_t p, std::int32_t q) const
    {
        for (const std::int32_t t : around_[std::size_t(q)]) {
            const auto c = corners(t);
            const int k = c[0] == q ? 0 : c[1] == q ? 1 : 2;
            if (c[(k + 1) % 3] != p)
                continue;
            const Point other = cross(at(c[1]) - at(c[0]), at(c[2]) - at(c[0]));
            return dot(n, other) < least_fold_cosine * std::sqrt(dot(n, n) * dot(other, other));
        }
        return false;
    }

    // Moves `from` onto `to` when that keeps the surface a manifold that
    // faces the same way; says whether it did.
    bool collapse(std::int32_t from, std::int32_t to)
    {
        std::vector<std::int32_t>& from_list = around_[std::size_t(from)];
        std::vector<std::int32_t>& to_list = around_[std::size_t(to)];
        // The link condition: the two vertices share only the two
        // neighbours across their edge.
        ++stamp_;
        for (const std::int32_t t : from_list)
            for (const std::int32_t w : corners(t))
                mark_[std::size_t(w)] = stamp_;
        int shared = 0;
        ++stamp_;
        for (const std::int32_t t : to_list)
            for (const std::int32_t w : corners(t))
                if (w != from && w != to && mark_[std::size_t(w)] == stamp_ - 1) {
                    mark_[std::size_t(w)] = stamp_;
                    ++shared;
                }
        if (shared != 2)
            return false;
        const Point moved = at(to);
        for (const std::int32_t t : from_list) {
            const auto c = corners(t);
            if (c[0] == to || c[1] == to || c[2] == to)
                continue;
            const int k = c[0] == from ? 0 : c[1] == from ? 1 : 2;
            const Point p = at(c[(k + 1) % 3]), q = at(c[(k + 2) % 3]);
            const Point before = cross(p - at(from), q - at(from)), after = cross(p - moved, q - moved);
            if (!(dot(before, after) > least_normal_cosine * std::sqrt(dot(before, before) * dot(after, after))) ||
                folds_onto_neighbour(after, c[(k + 1) % 3], c[(k + 2) % 3]))
                return false;
        }
        for (const std::int32_t t : from_list) {
            Ttriangle& tri = mesh_.triangles[std::size_t(t)];
            if (tri.i0 == to || tri.i1 == to || tri.i2 == to) {
                alive_[std::size_t(t)] = 0;
                --live_;
                drop(to, t);
                drop(tri.i0 != from && tri.i0 != to ? tri.i0 : tri.i1 != from && tri.i1 != to ? tri.i1 : tri.i2, t);
                continue;
            }
            (tri.i0 == from ? tri.i0 : tri.i1 == from ? tri.i1 : tri.i2) = to;
            to_list.push_back(t);
        }
        from_list.clear();
        quadrics_[std::size_t(to)] += quadrics_[std::size_t(from)];
        own_error_[std::size_t(to)] = quadrics_[std::size_t(to)].at(moved);
        merged_[std::size_t(from)] = 1;
        return true;
    }

    Triangle_mesh& mesh_;
    std::vector<Quadric> quadrics_;
    std::vector<double> own_error_;
    std::vector<std::vector<std::int32_t>> around_;
    std::vector<std::uint32_t> mark_;
    std::uint32_t stamp_ = 0;
    std::vector<std::uint8_t> alive_;
    std::vector<std::uint8_t> on_bed_;
    std::vector<std::uint8_t> merged_;
    std::vector<Candidate> ways_;
    std::size_t live_;
};

// The squared distance from `p` to triangle a, b, c.
double squared_distance(const Point& p, const Point& a, const Point& b, const Point& c)
{
    const Point nearest = nearest_on_triangle(p, a, b, c);
    return dot(p - nearest, p - nearest);
}

// The triangles of a mesh by the cells of a grid over its box that their
// boxes overlap.
class Triangle_grid {
public:
    explicit Triangle_grid(const Mesh_view& mesh) : mesh_(mesh)
    {
        const Box box = bounding_box(mesh);
        low_ = point(box.min);
        const Point side = point(box.max) - low_;
        // About as many cells as triangles along the surface's sides: a
        // cell holds a few triangles.
        const double area = surface_integrals(mesh).area;
        double cell = std::sqrt(area / double(std::max<std::size_t>(mesh.triangle_count, 1))) * 2;
        const double largest = std::max({side.x, side.y, side.z});
        cell = std::max({cell, largest / 1024, std::cbrt(side.x * side.y * side.z / (8.0 * mesh.triangle_count))});
        cell_ = cell > 0 ? cell : 1;
        for (int k = 0; k < 3; ++k)
            count_[k] = 1 + int(std::min(1024.0, std::floor(component(side, k) / cell_)));
        std::vector<std::uint32_t> counts(cells() + 1, 0);
        for_each_cell_of_triangles([&counts](std::size_t cell, std::int32_t) { ++counts[cell + 1]; });
        for (std::size_t k = 1; k < counts.size(); ++k)
            counts[k] += counts[k - 1];
        first_ = counts;
        entries_.resize(counts.back());
        for_each_cell_of_triangles([&](std::size_t cell, std::int32_t t) { entries_[counts[cell]++] = t; });
    }

    // The distance from `p` to the surface, or the knowledge that it is at
    // most `enough`: then some distance not above `enough`.
    double distance(const Point& p, double enough) const
    {
        double best = std::numeric_limits<double>::infinity();
        for (double reach = std::max(enough, 0.5 * cell_);; reach *= 2) {
            std::array<int, 3> from, to;
            for (int k = 0; k < 3; ++k) {
                from[k] = index(component(p, k) - reach, k);
                to[k] = index(component(p, k) + reach, k);
            }
            for (int i = from[0]; i <= to[0]; ++i)
                for (int j = from[1]; j <= to[1]; ++j)
                    for (int k = from[2]; k <= to[2]; ++k) {
                        const std::size_t cell = (std::size_t(i) * count_[1] + j) * count_[2] + k;
                        for (std::uint32_t e = first_[cell]; e < first_[cell + 1]; ++e) {
                            best = std::min(best, std::sqrt(squared(p, entries_[e])));
                            if (best <= enough)
                                return best;
                        }
                    }
            // Every triangle within `reach` lies in a cell searched; so does
            // the whole grid once the search spans it.
            if (best <= reach ||
                (from == std::array<int, 3>{} && to == std::array<int, 3>{count_[0] - 1, count_[1] - 1, count_[2] - 1}))
                return best;
        }
    }

private:
    static double component(const Point& p, int k) { return k == 0 ? p.x : k == 1 ? p.y : p.z; }
    std::size_t cells() const { return std::size_t(count_[0]) * count_[1] * count_[2]; }
    int index(double coordinate, int k) const
    {
        const double cell = std::floor((coordinate - component(low_, k)) / cell_);
        return int(std::clamp(cell, 0.0, double(count_[k] - 1)));
    }
    double squared(const Point& p, std::int32_t t) const
    {
        const Ttriangle& tri = mesh_.triangles[std::size_t(t)];
        return squared_distance(p, point(mesh_.positions[tri.i0]), point(mesh_.positions[tri.i1]),
                                point(mesh_.positions[tri.i2]));
    }
    template <typename Visit>
    void for_each_cell_of_triangles(Visit visit) const
    {
        for (std::size_t t = 0; t < mesh_.triangle_count; ++t) {
            const Ttriangle& tri = mesh_.triangles[t];
            const Tvector3 &a = mesh_.positions[tri.i0], &b = mesh_.positions[tri.i1], &c = mesh_.positions[tri.i2];
            const std::array<int, 3> from{index(std::min({a.x, b.x, c.x}), 0), index(std::min({a.y, b.y, c.y}), 1),
                                          index(std::min({a.z, b.z, c.z}), 2)};
            const std::array<int, 3> to{index(std::max({a.x, b.x, c.x}), 0), index(std::max({a.y, b.y, c.y}), 1),
                                        index(std::max({a.z, b.z, c.z}), 2)};
            for (int i = from[0]; i <= to[0]; ++i)
                for (int j = from[1]; j <= to[1]; ++j)
                    for (int k = from[2]; k <= to[2]; ++k)
                        visit((std::size_t(i) * count_[1] + j) * count_[2] + k, std::int32_t(t));
        }
    }

    const Mesh_view mesh_;
    Point low_;
    double cell_ = 1;
    std::array<int, 3> count_{1, 1, 1};
    std::vector<std::uint32_t> first_;
    std::vector<std::int32_t> entries_;
};

} // namespace

// Measured one way: the full mesh's vertices lie as densely as its grid,
// and the coarse mesh's vertices are some of them, so this is the Hausdorff
// distance up to the full mesh's vertex spacing.
double deviation(const Mesh_view& full, const Mesh_view& coarse)
{
    if (coarse.triangle_count == 0)
        return 0;
    const Triangle_grid grid(coarse);
    double largest = 0;
    // Only a vertex further than the largest so far can change it, so most
    // are settled by the first triangle near them.
    for (std::size_t v = 0; v < full.vertex_count; ++v)
        largest = std::max(largest, grid.distance(point(full.positions[v]), largest));
    return largest;
}

Status simplify(Triangle_mesh& mesh, std::size_t target, Up up, Simplified& result)
{
    result = {mesh.triangles.size(), 0};
    if (mesh.triangles.size() <= target)
        return {};
    Triangle_mesh coarse = mesh;
    Collapser collapser(coarse, up);
    const std::size_t left = collapser.run(target);
    if (left > target)
        return runtime::refused("cannot keep it closed in " + std::to_string(target) + " triangles");
    // The survivors keep their order, and so do the triangles.
    std::vector<std::int32_t> renumbered(coarse.positions.size(), -1);
    std::size_t kept = 0;
    for (std::size_t v = 0; v < coarse.positions.size(); ++v)
        if (collapser.vertex_kept(v))
            renumbered[v] = std::int32_t(kept++);
    std::vector<Tvector3> positions(kept);
    for (std::size_t v = 0; v < coarse.positions.size(); ++v)
        if (renumbered[v] >= 0)
            positions[std::size_t(renumbered[v])] = coarse.positions[v];
    std::vector<Ttriangle> triangles;
    triangles.reserve(left);
    for (std::size_t t = 0; t < coarse.triangles.size(); ++t)
        if (collapser.triangle_kept(t)) {
            const Ttriangle& tri = coarse.triangles[t];
            triangles.push_back(
                {renumbered[std::size_t(tri.i0)], renumbered[std::size_t(tri.i1)], renumbered[std::size_t(tri.i2)]});
        }
    coarse.positions = std::move(positions);
    coarse.triangles = std::move(triangles);
    result.deviation = deviation(mesh.view(), coarse.view());
    mesh = std::move(coarse);
    return {};
}

} // namespace mesh
