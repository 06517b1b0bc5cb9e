#include "mesh/closed_mesh.h"
#include "mesh/placement.h"
#include "mesh/shell.h"
#include "mesh/statistics.h"
#include "params/Tparams.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <unordered_map>

namespace {

struct Case {
    const char* name;
    // m n1 n2 n3 of the first set, then of the second.
    float first[4], second[4];
    float torus;
    double base, wall;
};

// A ball, a spiked star, a ring and a based lemon: 40 mm across, STL's millimetres.
const Case cases[] = {
    {"ball", {0, 2, 2, 2}, {0, 2, 2, 2}, 0, 0, 4},
    {"star", {5, 0.3f, 1, 1}, {0, 2, 2, 2}, 0, 0, 3},
    {"ring", {4, 1, 1, 1}, {0, 2, 2, 2}, 3, 0, 1.5},
    {"based lemon", {0, 2, 2, 2}, {0, 0.6f, 2, 2}, 0, 2, 4},
};

mesh::Triangle_mesh solid(const Case& c)
{
    Tparams p;
    set_start_values(p);
    p.a = p.b = p.a2 = p.b2 = p.radius = 1;
    std::tie(p.m, p.n1, p.n2, p.n3) = std::make_tuple(c.first[0], c.first[1], c.first[2], c.first[3]);
    std::tie(p.m2, p.n1_2, p.n2_2, p.n3_2) = std::make_tuple(c.second[0], c.second[1], c.second[2], c.second[3]);
    p.torus = c.torus;
    p.slices = p.bands = 64;
    mesh::Triangle_mesh m;
    EXPECT_TRUE(mesh::build_closed_mesh(p, m).ok()) << c.name;
    EXPECT_TRUE(mesh::place(m, {mesh::Up::z, 40, c.base}, 1).ok()) << c.name;
    return m;
}

struct Hollowed {
    mesh::Triangle_mesh outer, shell, inner;
    mesh::Shell_report report;
};

Hollowed hollowed(const Case& c)
{
    Hollowed h;
    h.outer = h.shell = solid(c);
    EXPECT_EQ(mesh::hollow(h.shell, c.wall, 1, h.report).message, "") << c.name;
    const auto first = std::int32_t(h.outer.positions.size());
    h.inner.positions.assign(h.shell.positions.begin() + first, h.shell.positions.end());
    for (std::size_t t = h.outer.triangles.size(); t < h.shell.triangles.size(); ++t) {
        const mesh::Ttriangle& k = h.shell.triangles[t];
        h.inner.triangles.push_back({k.i0 - first, k.i1 - first, k.i2 - first});
    }
    return h;
}

// The nearest of dense samples of `outer`'s triangles, `reach` / 20 apart or
// closer, to each point of `points`, looked up within `reach` in a hash grid
// of cells `reach` wide: the least distance found, or `reach` when none is
// nearer.
double least_distance(const mesh::Triangle_mesh& outer, const std::vector<mesh::Tvector3>& points, double reach)
{
    const double step = reach / 20;
    std::unordered_map<std::int64_t, std::vector<mesh::Tvector3>> cells;
    const auto key = [reach](double x, double y, double z) {
        return (std::int64_t(std::floor(x / reach)) * 1000003 + std::int64_t(std::floor(y / reach))) * 1000003 +
               std::int64_t(std::floor(z / reach));
    };
    for (const mesh::Ttriangle& t : outer.triangles) {
        const mesh::Tvector3 &a = outer.positions[std::size_t(t.i0)], &b = outer.positions[std::size_t(t.i1)],
                             &c = outer.positions[std::size_t(t.i2)];
        const double longest =
            std::max({std::hypot(b.x - a.x, b.y - a.y, b.z - a.z), std::hypot(c.x - a.x, c.y - a.y, c.z - a.z),
                      std::hypot(c.x - b.x, c.y - b.y, c.z - b.z)});
        const int n = 1 + int(longest / step);
        for (int i = 0; i <= n; ++i)
            for (int j = 0; i + j <= n; ++j) {
                const double u = double(i) / n, v = double(j) / n, w = 1 - u - v;
                const mesh::Tvector3 p{float(w * a.x + u * b.x + v * c.x), float(w * a.y + u * b.y + v * c.y),
                                       float(w * a.z + u * b.z + v * c.z)};
                cells[key(p.x, p.y, p.z)].push_back(p);
            }
    }
    double least = reach * reach;
    for (const mesh::Tvector3& q : points)
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dz = -1; dz <= 1; ++dz) {
                    const auto found = cells.find(key(q.x + dx * reach, q.y + dy * reach, q.z + dz * reach));
                    if (found != cells.end())
                        for (const mesh::Tvector3& p : found->second) {
                            const float x = p.x - q.x, y = p.y - q.y, z = p.z - q.z;
                            least = std::min(least, double(x * x + y * y + z * z));
                        }
                }
    return std::sqrt(least);
}

TEST(Shell, BothSurfacesAreClosedAndTheInnerOneFacesInward)
{
    for (const Case& c : cases) {
        const Hollowed h = hollowed(c);
        EXPECT_TRUE(mesh::is_closed(h.inner.view())) << c.name;
        EXPECT_TRUE(mesh::is_closed(h.shell.view())) << c.name;
        EXPECT_LT(mesh::surface_integrals(h.inner.view()).volume, 0) << c.name;
    }
}

TEST(Shell, KeepsTheOuterSurfaceBitForBit)
{
    for (const Case& c : cases) {
        const Hollowed h = hollowed(c);
        ASSERT_GT(h.shell.positions.size(), h.outer.positions.size()) << c.name;
        EXPECT_EQ(std::memcmp(h.shell.positions.data(), h.outer.positions.data(),
                              h.outer.positions.size() * sizeof(mesh::Tvector3)),
                  0)
            << c.name;
        EXPECT_EQ(std::memcmp(h.shell.triangles.data(), h.outer.triangles.data(),
                              h.outer.triangles.size() * sizeof(mesh::Ttriangle)),
                  0)
            << c.name;
    }
}

TEST(Shell, EveryInnerPointIsAWallAwayFromTheOuterSurface)
{
    for (const Case& c : cases) {
        const Hollowed h = hollowed(c);
        EXPECT_GE(least_distance(h.outer, h.inner.positions, c.wall), 0.95 * c.wall) << c.name;
        EXPECT_GE(h.report.thinnest_wall, 0.95 * c.wall) << c.name;
    }
}

// A ball of volume V and radius r = (3V / 4 pi)^(1/3) leaves a cavity of
// radius r less the depth of the inner surface.
TEST(Shell, AHollowBallHoldsTheMaterialOfItsWall)
{
    const Hollowed h = hollowed(cases[0]);
    const double outer = mesh::surface_integrals(h.outer.view()).volume;
    const double r = std::cbrt(3 * outer / (4 * M_PI)) - mesh::shell_level_walls * cases[0].wall;
    EXPECT_NEAR(mesh::surface_integrals(h.shell.view()).volume, outer - 4 * M_PI * r * r * r / 3, 0.001 * outer);
}

TEST(Shell, SaysWhereItLeftThinPartsSolid)
{
    std::map<std::string, std::size_t> solid_places;
    for (const Case& c : cases)
        solid_places[c.name] = hollowed(c).report.solid_places;
    // The star's arms thin out towards its poles, where they meet: one
    // place. The ring's square path has four sharp corners.
    EXPECT_EQ(solid_places,
              (std::map<std::string, std::size_t>{{"ball", 0}, {"star", 1}, {"ring", 4}, {"based lemon", 0}}));
}

TEST(Shell, RefusesAWallOfHalfTheSmallestSide)
{
    mesh::Triangle_mesh m = solid(cases[0]);
    const std::size_t triangles = m.triangles.size();
    mesh::Shell_report report;
    EXPECT_EQ(mesh::hollow(m, 20, 1, report).message,
              "a 20.00 mm shell needs every side over 40.00 mm; the smallest is 40.00 mm");
    EXPECT_EQ(m.triangles.size(), triangles);
}

} // namespace
