#include "mesh/closed_mesh.h"
#include "mesh/drain.h"
#include "mesh/placement.h"
#include "mesh/shell.h"
#include "mesh/statistics.h"
#include "params/Tparams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <unordered_map>

namespace {

// m n1 n2 n3 of the first set, then of the second; torus, base and wall. The cases below are 40 mm across, in STL's
// millimetres: a ball, a spiked star, a ring and a based lemon.
struct Case {
    const char* name;
    float sets[8], torus, base, wall;
};

const Case cases[] = {
    {"ball", {0, 2, 2, 2, 0, 2, 2, 2}, 0, 0, 4},
    {"star", {5, 0.3f, 1, 1, 0, 2, 2, 2}, 0, 0, 3},
    {"ring", {4, 1, 1, 1, 0, 2, 2, 2}, 3, 0, 1.5},
    {"based lemon", {0, 2, 2, 2, 0, 0.6f, 2, 2}, 0, 2, 4},
};

struct Hollowed {
    mesh::Triangle_mesh outer, shell, inner;
    mesh::Shell_report report;
};

Hollowed hollowed(const Case& c)
{
    Hollowed h;
    Tparams p;
    set_start_values(p);
    std::tie(p.m, p.n1, p.n2, p.n3, p.m2, p.n1_2, p.n2_2, p.n3_2) =
        std::tie(c.sets[0], c.sets[1], c.sets[2], c.sets[3], c.sets[4], c.sets[5], c.sets[6], c.sets[7]);
    p.a2 = p.b2 = 1, p.torus = c.torus;
    p.slices = p.bands = 64;
    EXPECT_TRUE(mesh::build_closed_mesh(p, h.outer).ok() && mesh::place(h.outer, {mesh::Up::z, 40, c.base}, 1).ok());
    h.shell = h.outer;
    EXPECT_EQ(mesh::hollow(h.shell, c.wall, 1, h.report).message, "") << c.name;
    const auto first = std::int32_t(h.outer.positions.size());
    h.inner.positions.assign(h.shell.positions.begin() + first, h.shell.positions.end());
    for (std::size_t t = h.outer.triangles.size(); t < h.shell.triangles.size(); ++t)
        h.inner.triangles.push_back(
            {h.shell.triangles[t].i0 - first, h.shell.triangles[t].i1 - first, h.shell.triangles[t].i2 - first});
    return h;
}

// The least distance from `points` to samples of `outer`'s triangles `reach` / 10 apart or closer (a side is at
// most the other two), found in a hash grid of cells `reach` wide; `reach` when none is nearer.
double least_distance(const mesh::Triangle_mesh& outer, const std::vector<mesh::Tvector3>& points, double reach)
{
    std::unordered_map<double, std::vector<mesh::Tvector3>> cells;
    const auto key = [reach](double x, double y, double z) {
        return std::floor(x / reach) * 4e6 + std::floor(y / reach) * 2e3 + std::floor(z / reach);
    };
    for (const mesh::Ttriangle& t : outer.triangles) {
        const mesh::Tvector3 &a = outer.positions[std::size_t(t.i0)], &b = outer.positions[std::size_t(t.i1)],
                             &c = outer.positions[std::size_t(t.i2)];
        const double ab = std::hypot(b.x - a.x, b.y - a.y, b.z - a.z), ac = std::hypot(c.x - a.x, c.y - a.y, c.z - a.z);
        const int n = 1 + int(10 / reach * (ab + ac));
        for (int i = 0; i <= n; ++i)
            for (int j = 0; i + j <= n; ++j) {
                const float u = float(i) / n, v = float(j) / n, w = 1 - u - v;
                const mesh::Tvector3 p{w * a.x + u * b.x + v * c.x, w * a.y + u * b.y + v * c.y,
                                       w * a.z + u * b.z + v * c.z};
                cells[key(p.x, p.y, p.z)].push_back(p);
            }
    }
    const std::vector<mesh::Tvector3> none;
    double least = reach * reach;
    for (const mesh::Tvector3& q : points)
        for (int cell = 0; cell < 27; ++cell) {
            const auto found = cells.find(
                key(q.x + (cell % 3 - 1) * reach, q.y + (cell / 3 % 3 - 1) * reach, q.z + (cell / 9 - 1) * reach));
            for (const mesh::Tvector3& p : found == cells.end() ? none : found->second)
                least = std::min(
                    least, double((p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y) + (p.z - q.z) * (p.z - q.z)));
        }
    return std::sqrt(least);
}

TEST(Shell, BothSurfacesAreClosedAndTheInnerOneFacesInward)
{
    for (const Case& c : cases) {
        const Hollowed h = hollowed(c);
        EXPECT_TRUE(mesh::is_closed(h.inner.view())) << c.name;
        EXPECT_LT(mesh::surface_integrals(h.inner.view()).volume, 0) << c.name;
    }
}

TEST(Shell, KeepsTheOuterPositionsBitForBit)
{
    for (const Case& c : cases) {
        const Hollowed h = hollowed(c);
        EXPECT_EQ(std::memcmp(h.shell.positions.data(), h.outer.positions.data(), h.outer.positions.size() * 12), 0);
    }
}

TEST(Shell, EveryInnerPointIsAWallAwayFromTheOuterSurface)
{
    for (const Case& c : cases) {
        const Hollowed h = hollowed(c);
        EXPECT_GE(least_distance(h.outer, h.inner.positions, c.wall), 0.95 * c.wall) << c.name;
    }
}

// A ball of volume V and radius r = (3V / 4 pi)^(1/3) leaves a cavity of radius r less the inner surface's depth.
TEST(Shell, AHollowBallHoldsTheMaterialOfItsWall)
{
    const Hollowed h = hollowed(cases[0]);
    const double outer = mesh::surface_integrals(h.outer.view()).volume;
    const double r = std::cbrt(3 * outer / (4 * M_PI)) - mesh::shell_level_walls * cases[0].wall;
    EXPECT_NEAR(mesh::surface_integrals(h.shell.view()).volume, outer - 4 * M_PI * r * r * r / 3, 0.001 * outer);
}

// The ball and the lemon have none. The star's arms thin out towards its poles, where they meet: one place. The
// ring's square path has four sharp corners.
TEST(Shell, SaysWhereItLeftThinPartsSolid)
{
    std::vector<std::size_t> solid_places;
    for (const Case& c : cases)
        solid_places.push_back(hollowed(c).report.solid_places);
    EXPECT_EQ(solid_places, (std::vector<std::size_t>{0, 1, 4, 0}));
}

// The heights at which the vertical line through (x, y) meets `mesh`'s surface, lowest first: once where it passes
// through an edge or a vertex.
std::vector<double> heights_along(const mesh::Triangle_mesh& mesh, double x, double y)
{
    std::vector<double> heights;
    for (const mesh::Ttriangle& t : mesh.triangles) {
        const mesh::Tvector3 &p = mesh.positions[std::size_t(t.i0)], &q = mesh.positions[std::size_t(t.i1)],
                             &r = mesh.positions[std::size_t(t.i2)];
        const auto turn = [](double ax, double ay, double bx, double by, double cx, double cy) {
            return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
        };
        const double whole = turn(p.x, p.y, q.x, q.y, r.x, r.y), u = turn(x, y, q.x, q.y, r.x, r.y) / whole,
                     v = turn(p.x, p.y, x, y, r.x, r.y) / whole;
        if (whole != 0 && u >= 0 && v >= 0 && u + v <= 1)
            heights.push_back(u * p.z + v * q.z + (1 - u - v) * r.z);
    }
    std::sort(heights.begin(), heights.end());
    heights.erase(std::unique(heights.begin(), heights.end(), [](double a, double b) { return b - a < 1e-4; }),
                  heights.end());
    return heights;
}

// Surfaces joined by an edge, counted by union-find over the vertices.
std::size_t surfaces(const mesh::Triangle_mesh& mesh)
{
    std::vector<std::int32_t> parent(mesh.positions.size());
    std::iota(parent.begin(), parent.end(), 0);
    const auto root = [&](std::int32_t v) {
        while (parent[std::size_t(v)] != v)
            v = parent[std::size_t(v)] = parent[std::size_t(parent[std::size_t(v)])];
        return v;
    };
    for (const mesh::Ttriangle& t : mesh.triangles) {
        parent[std::size_t(root(t.i0))] = root(t.i1);
        parent[std::size_t(root(t.i1))] = root(t.i2);
    }
    std::size_t count = 0;
    for (std::size_t v = 0; v < parent.size(); ++v)
        count += root(std::int32_t(v)) == std::int32_t(v);
    return count;
}

// A 3 mm drain through the ball's lowest point, the ring's and the lemon's base: one closed surface, a plug of at
// most the hole's area times two walls taken out, and along the hole's axis only the cavity's roof and the top left.
TEST(Drain, IsATubeJoiningBothSurfacesUpTheHolesAxis)
{
    for (const Case& c : {cases[0], cases[2], cases[3]}) {
        const Hollowed h = hollowed(c);
        mesh::Triangle_mesh drilled = h.shell;
        mesh::Drain_report where;
        ASSERT_EQ(mesh::drill_drain(drilled, h.outer.triangles.size(), mesh::Up::z, 3, 1, where).message, "") << c.name;
        EXPECT_TRUE(mesh::is_closed(drilled.view())) << c.name;
        EXPECT_EQ(surfaces(drilled), 1u) << c.name;
        const double taken =
            mesh::surface_integrals(h.shell.view()).volume - mesh::surface_integrals(drilled.view()).volume;
        EXPECT_GT(taken, 0) << c.name;
        EXPECT_LT(taken, M_PI * 1.5 * 1.5 * 2 * c.wall) << c.name;
        // Through the floor, not off a tip: the ball's bottom sags 1.5² / 2r below its rim.
        EXPECT_LT(where.height_lost, 0.1) << c.name;
        const std::vector<double> before = heights_along(h.shell, where.across, where.along),
                                  after = heights_along(drilled, where.across, where.along);
        ASSERT_GE(before.size(), 4u) << c.name;
        EXPECT_EQ(after, std::vector<double>(before.begin() + 2, before.end())) << c.name;
    }
}

// Wider than the ball's cavity, or into a solid: refused, the mesh as it was.
TEST(Drain, RefusesAHoleThatFindsNoFloor)
{
    const Hollowed h = hollowed(cases[0]);
    mesh::Triangle_mesh drilled = h.shell;
    mesh::Drain_report where;
    EXPECT_EQ(mesh::drill_drain(drilled, h.outer.triangles.size(), mesh::Up::z, 36, 1, where).message,
              "a 36.00 mm drain finds no floor wide enough under the cavity to pass through");
    EXPECT_EQ(mesh::drill_drain(drilled, drilled.triangles.size(), mesh::Up::z, 3, 1, where).message,
              "a 3.00 mm drain needs a hollow shape");
    EXPECT_EQ(mesh::drill_drain(drilled, h.outer.triangles.size(), mesh::Up::z, 0.0001, 1, where).message,
              "a drain lets resin out only 0.50 mm across or wider");
    EXPECT_EQ(drilled.triangles.size(), h.shell.triangles.size());
    EXPECT_EQ(std::memcmp(drilled.positions.data(), h.shell.positions.data(), h.shell.positions.size() * 12), 0);
}

} // namespace
