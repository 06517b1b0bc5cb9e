// The drain cuts the two sheets it passes, the bottom of the outer surface
// and the floor of the cavity, by a vertical prism, triangle by triangle,
// and joins the two cut outlines by the prism's wall. Seen from above, each
// sheet covers the prism's polygon exactly once. Where a mesh edge crosses
// the polygon there is one new vertex, found from the edge's lower-numbered
// end, so that the triangles either side of the edge share it.
#include "mesh/drain.h"

#include "mesh/plane_polygon.h"
#include "mesh/shell.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mesh {
namespace {

constexpr double pi = 3.14159265358979323846;
// Turns of the polygon tried, in parts of a side's angle, while some vertex
// lies too near its outline to cut cleanly: on a fine mesh several may.
constexpr int turns_tried = 32;
// More vertices than this too near the outline, after a few turns, are no
// chance.
constexpr int most_too_near = 8;
constexpr int few_turns = 3;
// Nearer than this many steps of a float at the mesh's largest coordinate
// is too near: a crossing there could round onto the vertex.
constexpr double too_near_steps = 8;
// The sheets' cover of the polygon may be off by this share of its area.
constexpr double cover_error = 1e-6;
// The flat triangles whose centres are tried, largest first.
constexpr std::size_t flat_centres_tried = 8;

enum Sheet { bottom, floor_sheet };

struct Hole {
    Point2 centre;
    // Anticlockwise seen from above.
    std::array<Point2, drain_sides> corners;
    double circumradius;

    const Point2& corner(int k) const { return corners[std::size_t((k % drain_sides + drain_sides) % drain_sides)]; }
};

Hole hole_polygon(const Point2& centre, double apothem, double turn_part)
{
    Hole hole{centre, {}, apothem / std::cos(pi / drain_sides)};
    for (int k = 0; k < drain_sides; ++k) {
        const double angle = 2 * pi * (k + turn_part) / drain_sides;
        hole.corners[std::size_t(k)] = {centre.a + hole.circumradius * std::cos(angle),
                                        centre.b + hole.circumradius * std::sin(angle)};
    }
    return hole;
}

bool strictly_inside(const Hole& hole, const Point2& p)
{
    for (int k = 0; k < drain_sides; ++k)
        if (turn(hole.corner(k), hole.corner(k + 1), p) <= 0)
            return false;
    return true;
}

// How far inside the polygon's outline `p` lies; negative outside.
double inset(const Hole& hole, const Point2& p)
{
    const double side = std::hypot(hole.corner(1).a - hole.corner(0).a, hole.corner(1).b - hole.corner(0).b);
    double least = std::numeric_limits<double>::infinity();
    for (int k = 0; k < drain_sides; ++k)
        least = std::min(least, turn(hole.corner(k), hole.corner(k + 1), p) / side);
    return least;
}

double twice_area(const std::vector<Point2>& polygon)
{
    double sum = 0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Point2 &p = polygon[i], &q = polygon[(i + 1) % polygon.size()];
        sum += p.a * q.b - q.a * p.b;
    }
    return std::fabs(sum);
}

// Twice the area of `polygon` (either way round) that lies in the hole.
double twice_overlap(std::vector<Point2> polygon, const Hole& hole)
{
    std::vector<Point2> kept;
    for (int k = 0; k < drain_sides && !polygon.empty(); ++k) {
        const Point2 &u = hole.corner(k), &v = hole.corner(k + 1);
        kept.clear();
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const Point2 &p = polygon[i], &q = polygon[(i + 1) % polygon.size()];
            const double sp = turn(u, v, p), sq = turn(u, v, q);
            if (sp >= 0)
                kept.push_back(p);
            if ((sp >= 0) != (sq >= 0)) {
                const double s = sp / (sp - sq);
                kept.push_back({p.a + s * (q.a - p.a), p.b + s * (q.b - p.b)});
            }
        }
        polygon.swap(kept);
    }
    return twice_area(polygon);
}

// Whether segments p-q and u-w cross, each through the other.
bool cross(const Point2& p, const Point2& q, const Point2& u, const Point2& w)
{
    return (turn(p, q, u) > 0) != (turn(p, q, w) > 0) && (turn(u, w, p) > 0) != (turn(u, w, q) > 0);
}

bool reaches_into(const Hole& hole, const Point2 (&p)[3])
{
    if (twice_overlap({p[0], p[1], p[2]}, hole) > 0)
        return true;
    for (int e = 0; e < 3; ++e) {
        if (strictly_inside(hole, p[e]))
            return true;
        for (int k = 0; k < drain_sides; ++k)
            if (cross(p[e], p[(e + 1) % 3], hole.corner(k), hole.corner(k + 1)))
                return true;
    }
    return false;
}

double distance_to_segment(const Point2& p, const Point2& u, const Point2& v)
{
    const double da = v.a - u.a, db = v.b - u.b, length2 = da * da + db * db;
    const double s = length2 > 0 ? std::clamp(((p.a - u.a) * da + (p.b - u.b) * db) / length2, 0.0, 1.0) : 0.0;
    return std::hypot(p.a - u.a - s * da, p.b - u.b - s * db);
}

std::uint64_t edge_key(std::int32_t p, std::int32_t q)
{
    return std::uint64_t(std::uint32_t(std::min(p, q))) << 32 | std::uint32_t(std::max(p, q));
}

// Why an attempt failed: the polygon lies too near a vertex to cut (another
// turn may do), or no hole fits there.
enum class Miss { none, too_near, no_floor, blocked };

class Drill {
public:
    Drill(const Triangle_mesh& mesh, std::size_t outer_count, Up up)
        : mesh_(mesh), outer_count_(outer_count), axes_(axes_of(up))
    {
        float largest = 0;
        for (const Tvector3& p : mesh.positions)
            largest = std::max({largest, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
        margin_ = too_near_steps * std::numeric_limits<float>::epsilon() * largest;
    }

    // Drills `hole` into a copy of the mesh in `out`.
    Miss attempt(const Hole& hole, Triangle_mesh& out)
    {
        hole_ = &hole;
        positions_ = &mesh_.positions;
        crossings_.clear();
        for (auto& sheet : corner_vertex_)
            sheet.fill(-1);
        for (auto& sheet : chains_)
            for (auto& chain : sheet)
                chain.clear();
        std::vector<std::size_t> patch[2];
        if (const Miss missed = find_patches(patch); missed != Miss::none)
            return missed;
        out = mesh_;
        positions_ = out_positions_ = &out.positions;
        std::vector<bool> cut(mesh_.triangles.size(), false);
        std::vector<Ttriangle> pieces[2];
        for (const Sheet sheet : {bottom, floor_sheet})
            for (const std::size_t t : patch[sheet]) {
                cut[t] = true;
                if (const Miss missed = cut_triangle(sheet, mesh_.triangles[t], pieces[sheet]); missed != Miss::none)
                    return missed;
            }
        std::vector<Ttriangle> tube;
        if (const Miss missed = join(tube); missed != Miss::none)
            return missed;
        if (!same_outline(patch, {&pieces[bottom], &pieces[floor_sheet], &tube}))
            return Miss::too_near;
        out.triangles.clear();
        for (std::size_t t = 0; t < mesh_.triangles.size(); ++t) {
            if (t == outer_count_) {
                out.triangles.insert(out.triangles.end(), pieces[bottom].begin(), pieces[bottom].end());
                out.triangles.insert(out.triangles.end(), tube.begin(), tube.end());
            }
            if (!cut[t])
                out.triangles.push_back(mesh_.triangles[t]);
        }
        out.triangles.insert(out.triangles.end(), pieces[floor_sheet].begin(), pieces[floor_sheet].end());
        return Miss::none;
    }

    // How many vertices and corners the last attempt found too near.
    int too_near_count() const { return too_near_count_; }

    // After a drilling into `out`, how much higher its lowest point lies.
    double lost_height(const Triangle_mesh& out) const
    {
        const auto lowest = [this](const std::vector<Tvector3>& positions) {
            float low = std::numeric_limits<float>::infinity();
            for (const Tvector3& p : positions)
                low = std::min(low, p.*axes_.height);
            return double(low);
        };
        return lowest(out.positions) - lowest(mesh_.positions);
    }

private:
    Point2 at(std::int32_t v) const
    {
        const Tvector3& p = (*positions_)[std::size_t(v)];
        return {p.*axes_.across, p.*axes_.along};
    }
    double height(std::int32_t v) const { return (*positions_)[std::size_t(v)].*axes_.height; }
    std::array<std::int32_t, 3> corners_of(const Ttriangle& tri) const { return {tri.i0, tri.i1, tri.i2}; }
    double turn_of(const Ttriangle& tri) const { return turn(at(tri.i0), at(tri.i1), at(tri.i2)); }

    // The triangles of each sheet that overlap the hole, seen from above:
    // those joined by edges to the one the hole's axis meets first (the
    // outer surface's) and next (the inner's). Counted by the way they face,
    // they cover the hole once.
    Miss find_patches(std::vector<std::size_t> (&patch)[2])
    {
        const Hole& hole = *hole_;
        const double reach = hole.circumradius, area = twice_area({hole.corners.begin(), hole.corners.end()});
        // Each turn of the polygon at a place looks among the same triangles.
        if (around_centre_.a != hole.centre.a || around_centre_.b != hole.centre.b || around_.empty()) {
            around_centre_ = hole.centre;
            around_.clear();
            for (std::size_t t = 0; t < mesh_.triangles.size(); ++t) {
                const Ttriangle& tri = mesh_.triangles[t];
                const Point2 p[3] = {at(tri.i0), at(tri.i1), at(tri.i2)};
                if (std::min({p[0].a, p[1].a, p[2].a}) <= hole.centre.a + reach &&
                    std::max({p[0].a, p[1].a, p[2].a}) >= hole.centre.a - reach &&
                    std::min({p[0].b, p[1].b, p[2].b}) <= hole.centre.b + reach &&
                    std::max({p[0].b, p[1].b, p[2].b}) >= hole.centre.b - reach)
                    around_.push_back(t);
            }
        }
        std::vector<std::size_t> near;
        for (const std::size_t t : around_) {
            const Ttriangle& tri = mesh_.triangles[t];
            const Point2 p[3] = {at(tri.i0), at(tri.i1), at(tri.i2)};
            // Every triangle that reaches into the hole, however little, an
            // upright one too: the cut is made in all of them along each edge.
            if (reaches_into(hole, p))
                near.push_back(t);
        }
        // The first two surfaces up the axis: the outer one, then the inner.
        std::size_t seed[2] = {near.size(), near.size()};
        double seed_height[2] = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
        std::vector<std::pair<double, std::size_t>> hits;
        for (std::size_t n = 0; n < near.size(); ++n)
            if (const double h = axis_height(mesh_.triangles[near[n]]); std::isfinite(h))
                hits.push_back({h, n});
        std::sort(hits.begin(), hits.end());
        if (hits.empty() || near[hits[0].second] >= outer_count_)
            return Miss::no_floor;
        seed[bottom] = hits[0].second;
        seed_height[bottom] = hits[0].first;
        for (const auto& [h, n] : hits)
            if (near[n] >= outer_count_) {
                seed[floor_sheet] = n;
                seed_height[floor_sheet] = h;
                break;
            } else if (h > seed_height[bottom] + margin_) {
                return Miss::blocked;
            }
        if (seed[floor_sheet] == near.size())
            return Miss::no_floor;

        std::unordered_map<std::uint64_t, std::vector<std::size_t>> by_edge(3 * near.size());
        for (std::size_t n = 0; n < near.size(); ++n) {
            const auto v = corners_of(mesh_.triangles[near[n]]);
            for (int e = 0; e < 3; ++e)
                by_edge[edge_key(v[e], v[(e + 1) % 3])].push_back(n);
        }
        std::vector<bool> taken(near.size(), false);
        for (const Sheet sheet : {bottom, floor_sheet}) {
            std::vector<std::size_t> todo{seed[sheet]};
            taken[seed[sheet]] = true;
            double covered = 0;
            while (!todo.empty()) {
                const std::size_t n = todo.back();
                todo.pop_back();
                const Ttriangle& tri = mesh_.triangles[near[n]];
                // The bottom faces down, the cavity's floor up into it, where
                // the hole's outline passes: a small fold inside the hole goes
                // with the rest of it.
                const bool facing = (turn_of(tri) < 0) == (sheet == bottom);
                const bool within = strictly_inside(hole, at(tri.i0)) && strictly_inside(hole, at(tri.i1)) &&
                                    strictly_inside(hole, at(tri.i2));
                if (!facing && !within)
                    return Miss::no_floor;
                patch[sheet].push_back(near[n]);
                covered += (facing ? 1 : -1) * twice_overlap({at(tri.i0), at(tri.i1), at(tri.i2)}, hole);
                const auto v = corners_of(tri);
                for (int e = 0; e < 3; ++e)
                    for (const std::size_t m : by_edge[edge_key(v[e], v[(e + 1) % 3])])
                        if (!taken[m]) {
                            taken[m] = true;
                            todo.push_back(m);
                        }
            }
            if (std::fabs(covered - area) > cover_error * area)
                return Miss::no_floor;
        }
        // Nothing else may reach down into the hole's way out.
        double floor_top = -std::numeric_limits<double>::infinity();
        for (const std::size_t t : patch[floor_sheet])
            for (const std::int32_t v : corners_of(mesh_.triangles[t]))
                floor_top = std::max(floor_top, height(v));
        for (std::size_t n = 0; n < near.size(); ++n)
            if (!taken[n])
                for (const std::int32_t v : corners_of(mesh_.triangles[near[n]]))
                    if (height(v) <= floor_top)
                        return Miss::blocked;
        // Cut cleanly: no vertex on the polygon's outline, no corner of it
        // on an edge.
        int too_near_count = 0;
        for (const Sheet sheet : {bottom, floor_sheet})
            for (const std::size_t t : patch[sheet]) {
                const auto v = corners_of(mesh_.triangles[t]);
                // Deep inside, a triangle is nowhere near the outline.
                if (inset(hole, at(v[0])) > margin_ && inset(hole, at(v[1])) > margin_ &&
                    inset(hole, at(v[2])) > margin_)
                    continue;
                for (int e = 0; e < 3; ++e)
                    for (int k = 0; k < drain_sides; ++k)
                        if (distance_to_segment(at(v[e]), hole.corner(k), hole.corner(k + 1)) < margin_ ||
                            distance_to_segment(hole.corner(k), at(v[e]), at(v[(e + 1) % 3])) < margin_)
                            ++too_near_count;
            }
        too_near_count_ = too_near_count;
        return too_near_count ? Miss::too_near : Miss::none;
    }

    // Whether the triangles `made` close what the patches leave open: each of
    // their edges once each way, and where they meet the rest of the mesh,
    // along the patches' own outline.
    bool same_outline(const std::vector<std::size_t> (&patch)[2],
                      std::initializer_list<const std::vector<Ttriangle>*> made) const
    {
        std::map<std::uint64_t, int> net;
        std::map<std::pair<std::int32_t, std::int32_t>, int> used;
        const auto count = [&](const Ttriangle& tri, int by) {
            const auto v = corners_of(tri);
            for (int e = 0; e < 3; ++e) {
                const std::int32_t a = v[e], b = v[(e + 1) % 3];
                net[edge_key(a, b)] += a < b ? by : -by;
            }
        };
        for (const std::vector<Ttriangle>* triangles : made)
            for (const Ttriangle& tri : *triangles) {
                count(tri, 1);
                const auto v = corners_of(tri);
                for (int e = 0; e < 3; ++e)
                    if (++used[{v[e], v[(e + 1) % 3]}] > 1)
                        return false;
            }
        for (const auto& sheet : patch)
            for (const std::size_t t : sheet)
                count(mesh_.triangles[t], -1);
        return std::all_of(net.begin(), net.end(), [](const auto& edge) { return edge.second == 0; });
    }

    // Where the hole's axis meets the triangle, or infinity where it misses.
    double axis_height(const Ttriangle& tri) const
    {
        const Point2 p = at(tri.i0), q = at(tri.i1), r = at(tri.i2), &c = hole_->centre;
        const double whole = turn(p, q, r);
        if (whole == 0)
            return std::numeric_limits<double>::infinity();
        const double u = turn(c, q, r) / whole, v = turn(p, c, r) / whole, w = 1 - u - v;
        if (u < 0 || v < 0 || w < 0)
            return std::numeric_limits<double>::infinity();
        return u * height(tri.i0) + v * height(tri.i1) + w * height(tri.i2);
    }

    struct Event {
        std::int32_t vertex;
        // For a crossing: the polygon's side, how far along it, and whether
        // the triangle's edge goes into the hole there.
        int side = -1;
        double along = 0;
        bool entering = false;
    };

    std::int32_t new_vertex(const Tvector3& p)
    {
        out_positions_->push_back(p);
        return static_cast<std::int32_t>(out_positions_->size() - 1);
    }

    // Where edge p-q crosses side k, as seen from its lower-numbered end.
    bool crossing(Sheet sheet, std::int32_t p, std::int32_t q, int k, Event& event, double& along_edge)
    {
        const std::int32_t low = std::min(p, q), high = std::max(p, q);
        const Point2 o = at(low), d{at(high).a - o.a, at(high).b - o.b};
        const Point2 &u = hole_->corner(k), &w = hole_->corner(k + 1);
        const Point2 e{w.a - u.a, w.b - u.b}, f{u.a - o.a, u.b - o.b};
        const double across = d.a * e.b - d.b * e.a;
        if (across == 0)
            return false;
        const double s = (f.a * e.b - f.b * e.a) / across, t = (f.a * d.b - f.b * d.a) / across;
        if (!(s > 0 && s < 1 && t > 0 && t < 1))
            return false;
        const auto [found, made] = crossings_.emplace(std::make_pair(edge_key(p, q), k), 0);
        if (made) {
            const Tvector3 &a = (*positions_)[std::size_t(low)], &b = (*positions_)[std::size_t(high)];
            const Tvector3 point{float(a.x + s * (double(b.x) - a.x)), float(a.y + s * (double(b.y) - a.y)),
                                 float(a.z + s * (double(b.z) - a.z))};
            found->second = new_vertex(point);
            chains_[sheet][std::size_t(k)].push_back({t, found->second});
        }
        event = {found->second, k, t, (across < 0) == (p == low)};
        along_edge = p == low ? s : 1 - s;
        return true;
    }

    // The polygon's corner k on this sheet, in the plane of the triangle
    // p, q, r it lies in.
    std::int32_t corner_vertex(Sheet sheet, int k, const std::array<std::int32_t, 3>& v)
    {
        k = (k % drain_sides + drain_sides) % drain_sides;
        std::int32_t& made = corner_vertex_[sheet][std::size_t(k)];
        if (made < 0) {
            const Point2 &c = hole_->corner(k), p = at(v[0]), q = at(v[1]), r = at(v[2]);
            const double whole = turn(p, q, r), a = turn(c, q, r) / whole, b = turn(p, c, r) / whole;
            Tvector3 point{};
            point.*axes_.height = float(a * height(v[0]) + b * height(v[1]) + (1 - a - b) * height(v[2]));
            point.*axes_.across = float(c.a);
            point.*axes_.along = float(c.b);
            made = new_vertex(point);
            chains_[sheet][std::size_t(k)].push_back({0.0, made});
            chains_[sheet][std::size_t((k + drain_sides - 1) % drain_sides)].push_back({1.0, made});
        }
        return made;
    }

    // Appends the part of `tri` outside the hole to `out`, facing as it did.
    Miss cut_triangle(Sheet sheet, const Ttriangle& tri, std::vector<Ttriangle>& out)
    {
        // Anticlockwise seen from above: the bottom's triangles turned over.
        std::array<std::int32_t, 3> v = corners_of(tri);
        if (strictly_inside(*hole_, at(v[0])) && strictly_inside(*hole_, at(v[1])) && strictly_inside(*hole_, at(v[2])))
            return Miss::none;
        if (sheet == bottom)
            std::swap(v[1], v[2]);
        std::vector<Event> events;
        for (int e = 0; e < 3; ++e) {
            events.push_back({v[e]});
            std::vector<std::pair<double, Event>> on_edge;
            for (int k = 0; k < drain_sides; ++k) {
                Event event{};
                double along_edge = 0;
                if (crossing(sheet, v[e], v[(e + 1) % 3], k, event, along_edge))
                    on_edge.push_back({along_edge, event});
            }
            std::sort(on_edge.begin(), on_edge.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
            for (const auto& [_, event] : on_edge)
                events.push_back(event);
        }
        std::vector<Loop> rings;
        if (events.size() == 3) {
            if (strictly_inside(*hole_, at(v[0])))
                return Miss::none;
            // The triangle only touches the hole.
            if (turn(at(v[0]), at(v[1]), hole_->corner(0)) <= 0 || turn(at(v[1]), at(v[2]), hole_->corner(0)) <= 0 ||
                turn(at(v[2]), at(v[0]), hole_->corner(0)) <= 0) {
                out.push_back(tri);
                return Miss::none;
            }
            // The hole lies within the triangle.
            Loop hole;
            for (int k = drain_sides - 1; k >= 0; --k)
                hole.push_back(corner_vertex(sheet, k, v));
            fill({v[0], v[1], v[2]}, &hole, sheet, out);
            return Miss::none;
        }
        // Round the triangle, the hole's outline is crossed out and in by turns.
        int last = -1, crossed = 0;
        for (const Event& event : events)
            if (event.side >= 0) {
                if (last == int(event.entering))
                    return Miss::too_near;
                last = int(event.entering);
                ++crossed;
            }
        if (crossed % 2)
            return Miss::too_near;
        for (std::size_t j = 0; j < events.size(); ++j) {
            const Event& leaving = events[j];
            if (leaving.side < 0 || leaving.entering)
                continue;
            Loop ring{leaving.vertex};
            std::size_t next = (j + 1) % events.size();
            for (; events[next].side < 0; next = (next + 1) % events.size())
                ring.push_back(events[next].vertex);
            const Event& entering = events[next];
            if (!entering.entering)
                return Miss::too_near;
            ring.push_back(entering.vertex);
            // Back round the hole, clockwise, to where the ring left it.
            int count = (entering.side - leaving.side + drain_sides) % drain_sides;
            if (count == 0 && leaving.along > entering.along)
                count = drain_sides;
            for (int m = 0; m < count; ++m)
                ring.push_back(corner_vertex(sheet, entering.side - m, v));
            fill(ring, nullptr, sheet, out);
        }
        return Miss::none;
    }

    void fill(const Loop& ring, const Loop* hole, Sheet sheet, std::vector<Ttriangle>& out) const
    {
        std::vector<Point2> points;
        Loop outline, inner;
        for (const std::int32_t v : ring) {
            outline.push_back(std::int32_t(points.size()));
            points.push_back(at(v));
        }
        std::vector<std::int32_t> vertex = ring;
        if (hole)
            for (const std::int32_t v : *hole) {
                inner.push_back(std::int32_t(points.size()));
                points.push_back(at(v));
                vertex.push_back(v);
            }
        std::vector<Ttriangle> local;
        fill_polygon(outline, hole ? std::vector<const Loop*>{&inner} : std::vector<const Loop*>{}, points, local);
        for (const Ttriangle& t : local)
            out.push_back(sheet == bottom ? Ttriangle{vertex[t.i0], vertex[t.i2], vertex[t.i1]}
                                          : Ttriangle{vertex[t.i0], vertex[t.i1], vertex[t.i2]});
    }

    // The hole's wall: each side of the polygon from the bottom's outline
    // up to the floor's, facing the axis.
    Miss join(std::vector<Ttriangle>& tube)
    {
        for (int k = 0; k < drain_sides; ++k) {
            auto& low = chains_[bottom][std::size_t(k)];
            auto& high = chains_[floor_sheet][std::size_t(k)];
            for (auto* chain : {&low, &high})
                std::sort(chain->begin(), chain->end());
            if (low.size() < 2 || high.size() < 2 || low.front().first != 0 || high.front().first != 0 ||
                low.back().first != 1 || high.back().first != 1)
                return Miss::no_floor;
            std::size_t j = 0, m = 0;
            while (j + 1 < low.size() || m + 1 < high.size()) {
                if (m + 1 == high.size() || (j + 1 < low.size() && low[j + 1].first <= high[m + 1].first)) {
                    tube.push_back({low[j + 1].second, low[j].second, high[m].second});
                    ++j;
                } else {
                    tube.push_back({high[m].second, high[m + 1].second, low[j].second});
                    ++m;
                }
            }
        }
        return Miss::none;
    }

    const Triangle_mesh& mesh_;
    std::size_t outer_count_;
    Axes axes_;
    const Hole* hole_ = nullptr;
    double margin_ = 0;
    int too_near_count_ = 0;
    Point2 around_centre_{};
    std::vector<std::size_t> around_;
    // The mesh's positions while the hole is placed, then the copy's.
    const std::vector<Tvector3>* positions_ = nullptr;
    std::vector<Tvector3>* out_positions_ = nullptr;
    std::map<std::pair<std::uint64_t, int>, std::int32_t> crossings_;
    std::array<std::array<std::int32_t, drain_sides>, 2> corner_vertex_{};
    // Each sheet's outline along each side: how far along, and the vertex.
    std::array<std::array<std::vector<std::pair<double, std::int32_t>>, drain_sides>, 2> chains_;
};

// Where the hole may go, best first: the middle of a flat base, the middles
// of its largest triangles, the lowest point, then the middle of the box.
std::vector<Point2> places_to_try(const Triangle_mesh& mesh, std::size_t outer_count, const Axes& axes)
{
    const auto at = [&](std::int32_t v) {
        const Tvector3& p = mesh.positions[std::size_t(v)];
        return Point2{p.*axes.across, p.*axes.along};
    };
    const auto height = [&](std::int32_t v) { return mesh.positions[std::size_t(v)].*axes.height; };
    std::int32_t lowest = mesh.triangles[0].i0;
    for (std::size_t t = 0; t < outer_count; ++t)
        for (const std::int32_t v : {mesh.triangles[t].i0, mesh.triangles[t].i1, mesh.triangles[t].i2})
            lowest = height(v) < height(lowest) ? v : lowest;
    std::vector<std::pair<double, Point2>> flat;
    double area = 0, a = 0, b = 0;
    for (std::size_t t = 0; t < outer_count; ++t) {
        const Ttriangle& tri = mesh.triangles[t];
        if (height(tri.i0) != height(lowest) || height(tri.i1) != height(lowest) || height(tri.i2) != height(lowest))
            continue;
        const Point2 p = at(tri.i0), q = at(tri.i1), r = at(tri.i2),
                     middle{(p.a + q.a + r.a) / 3, (p.b + q.b + r.b) / 3};
        const double size = std::fabs(turn(p, q, r));
        flat.push_back({size, middle});
        area += size;
        a += size * middle.a;
        b += size * middle.b;
    }
    std::vector<Point2> places;
    if (area > 0)
        places.push_back({a / area, b / area});
    std::sort(flat.begin(), flat.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
    for (std::size_t k = 0; k < std::min(flat.size(), flat_centres_tried); ++k)
        places.push_back(flat[k].second);
    places.push_back(at(lowest));
    // Most shapes are round an upright axis, through the middle of their box.
    double low_a = std::numeric_limits<double>::infinity(), high_a = -low_a, low_b = low_a, high_b = -low_a;
    for (const Tvector3& p : mesh.positions) {
        low_a = std::min(low_a, double(p.*axes.across));
        high_a = std::max(high_a, double(p.*axes.across));
        low_b = std::min(low_b, double(p.*axes.along));
        high_b = std::max(high_b, double(p.*axes.along));
    }
    places.push_back({(low_a + high_a) / 2, (low_b + high_b) / 2});
    return places;
}

void drop_unused_vertices(Triangle_mesh& mesh)
{
    std::vector<std::int32_t> kept(mesh.positions.size(), -1);
    for (const Ttriangle& tri : mesh.triangles)
        kept[std::size_t(tri.i0)] = kept[std::size_t(tri.i1)] = kept[std::size_t(tri.i2)] = 0;
    std::vector<Tvector3> positions;
    for (std::size_t k = 0; k < kept.size(); ++k)
        if (kept[k] == 0) {
            kept[k] = static_cast<std::int32_t>(positions.size());
            positions.push_back(mesh.positions[k]);
        }
    for (Ttriangle& tri : mesh.triangles)
        tri = {kept[std::size_t(tri.i0)], kept[std::size_t(tri.i1)], kept[std::size_t(tri.i2)]};
    mesh.positions = std::move(positions);
}

} // namespace

Status drill_drain(Triangle_mesh& mesh, std::size_t outer_triangle_count, Up up, double diameter_millimetres,
                   double millimetres_per_unit, Drain_report& report)
{
    const std::string named = "a " + millimetres(diameter_millimetres) + " drain";
    if (!(diameter_millimetres >= least_drain_millimetres))
        return runtime::refused("a drain lets resin out only " + millimetres(least_drain_millimetres) +
                                " across or wider");
    if (outer_triangle_count == 0 || outer_triangle_count >= mesh.triangles.size())
        return runtime::refused(named + " needs a hollow shape");
    const Axes axes = axes_of(up);
    const double radius = diameter_millimetres / 2 / millimetres_per_unit;
    Drill drill(mesh, outer_triangle_count, up);
    Triangle_mesh drilled, steep;
    std::optional<Drain_report> steep_report;
    Miss first = Miss::none;
    for (const Point2& centre : places_to_try(mesh, outer_triangle_count, axes))
        for (int turn_tried = 0; turn_tried < turns_tried; ++turn_tried) {
            const Miss missed = drill.attempt(hole_polygon(centre, radius, 0.5 + 0.37 * turn_tried), drilled);
            if (missed == Miss::none) {
                drop_unused_vertices(drilled);
                // A hole that would cut more off the bottom than its radius,
                // a tip, only where no flatter place takes it.
                const double lost = drill.lost_height(drilled);
                const Drain_report drilled_at{centre.a, centre.b, lost * millimetres_per_unit};
                if (lost > radius) {
                    if (!steep_report) {
                        steep = std::move(drilled);
                        steep_report = drilled_at;
                    }
                    break;
                }
                mesh = std::move(drilled);
                report = drilled_at;
                return {};
            }
            first = first == Miss::none ? missed : first;
            // Turn after turn with many too near, the surface runs along
            // the hole's wall, and no turn would do; a few turns first, as
            // a polygon's corners may line up with a fan of edges.
            if (missed != Miss::too_near || (turn_tried >= few_turns && drill.too_near_count() > most_too_near))
                break;
        }
    if (steep_report) {
        mesh = std::move(steep);
        report = *steep_report;
        return {};
    }
    return runtime::refused(first == Miss::blocked
                                ? named + " would pass through another part of the shape below the cavity"
                                : named + " finds no floor wide enough under the cavity to pass through");
}

} // namespace mesh
