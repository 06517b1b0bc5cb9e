#include "mesh/base_cut.h"
#include "mesh/closed_mesh.h"
#include "mesh/print_measures.h"
#include "mesh/simplify.h"
#include "mesh/statistics.h"
#include "params/Tparams.h"
#include "shape/Tsupershape.h"
#include "tests/support/reference_mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace {

using test_support::first_difference;

// Everything the mesh reads.
Tparams shape(float a, float b, float m, float n1, float n2, float n3, float radius, int slices, int bands, float scale,
              float torus = 0, float twist = 0)
{
    Tparams p;
    p.a = a, p.b = b, p.m = m, p.n1 = n1, p.n2 = n2, p.n3 = n3, p.radius = radius;
    p.slices = slices, p.bands = bands, p.scale = scale, p.torus = torus, p.twist = twist;
    return p;
}

// Builds the raw grid and the closed mesh, checks what an accepted one must be, returns their refusals ("" if none).
std::pair<std::string, std::string> check_views(const Tparams& params, mesh::Triangle_mesh& closed)
{
    mesh::Triangle_mesh raw;
    const runtime::Status raw_status = mesh::build_raw_grid(params, raw);
    const runtime::Status status = mesh::build_closed_mesh(params, closed);
    if (!status.ok())
        return {status.message, raw_status.message};
    const int slices = params.slices, bands = params.bands, columns = bands + 1;
    const mesh::Mesh_statistics stats = mesh::measure(closed.view());
    EXPECT_TRUE(stats.closed);
    EXPECT_GT(stats.integrals.volume, 0);
    // V - E + F: 2 for a ball, 0 for a ring (genus one). Every edge is in two triangles.
    const long long euler = (long long)closed.positions.size() - 3 * (long long)closed.triangles.size() / 2 +
                            (long long)closed.triangles.size();
    EXPECT_EQ(euler, params.torus > 0 ? 0 : 2);
    if (params.torus > 0) { // every row kept, bit for bit
        for (int row = 0; row < slices; ++row)
            EXPECT_EQ(first_difference(&closed.positions[row * bands], &raw.positions[row * columns], bands), -1);
        return {"", raw_status.message};
    }
    // Kept grid positions are the raw grid's, the editor's, bit for bit; the added pole is on the axis.
    for (int row = 0; row + 1 < slices; ++row)
        EXPECT_EQ(first_difference(&closed.positions[1 + row * bands], &raw.positions[row * columns], bands), -1);
    EXPECT_EQ(first_difference(&closed.positions.back(), &raw.positions[(slices - 1) * columns], 1), -1);
    EXPECT_EQ(std::pair(closed.positions[0].x, closed.positions[0].z), std::pair(0.0f, 0.0f));
    return {"", raw_status.message};
}

} // namespace

TEST(ClosedMesh, ShapesAreClosedAndFaceOutwardsOrAreRefusedWithTheReasonAndFillExactlyTheCountedBuffers)
{
    const struct {
        Tparams params;
        const char* reason; // part of the closed mesh's reason; empty when accepted
        const char* raw;    // part of the raw view's; empty when accepted
    } cases[] = {
        // The start values, a negative radius and scale, a thin waist, the smallest grid; then the refusals.
        {shape(1, 1, 4, 0.3f, 1, 1, 1, 8, 8, 1), "", ""},
        {shape(1, 1, 6, 0.6f, 1.2f, 1.7f, -2, 20, 25, 1), "", ""},
        {shape(1, 1, 6, 0.6f, 1.2f, 1.7f, 1, 20, 25, -0.5f), "", ""},
        {shape(1, 1, 7, 0.02f, 1.7f, 1.7f, 1, 40, 40, 1), "", ""},
        {shape(1, 1, 4, 0.3f, 1, 1, 1, 2, 3, 1), "", ""},
        // Rings: the start values', a wide one upside down, a twisted ball, the smallest ring.
        {shape(1, 1, 4, 0.3f, 1, 1, 1, 8, 8, 1, 1.5f), "", ""},
        {shape(1, 1, 6, 0.6f, 1.2f, 1.7f, -2, 20, 25, -0.5f, 3), "", ""},
        {shape(1, 1, 6, 0.6f, 1.2f, 1.7f, 1, 20, 25, 1, 0, 90), "", ""},
        {shape(1, 1, 0, 1, 1, 1, 1, 3, 3, 1, 2), "", ""},
        {shape(1, 1, 4, 0.3f, 1, 1, 1, 8, 8, 1, 0.4f), "crosses its axis at torus 0.4; raise torus above 1", ""},
        {shape(1, 1, 4, 0.3f, 1, 1, 1, 8, 8, 1, 2, 30), "a ring takes no twist: torus 2 with twist 30", ""},
        {shape(1, 1, 4, 0.3f, 1, 1, 1, 2, 8, 1, 2), "needs 3 slices", ""},
        {shape(1, 1, 4, 0.3f, 1, 1, 1, 1, 8, 1), "one row", "one row"},
        {shape(1, 1, 4, 0.3f, 1, 1, 1, 8, 2, 1), "3 bands", ""},
        {shape(0, 1, 4, 0.3f, 1, 1, 1, 8, 8, 1), "no area", "no area"},
        {shape(2, 2, 4, 0, 1, 1, 1, 8, 8, 1), "not a finite number", "not a finite number"},
        {shape(1, 1, 4, 0.3f, 1, 1, 1, 8, 8, 0), "no area", "no area"}};
    for (const auto& c : cases) {
        mesh::Triangle_mesh closed;
        const auto [reason, raw] = check_views(c.params, closed);
        EXPECT_EQ(*c.reason ? reason.find(c.reason) != std::string::npos : reason.empty(), true) << reason;
        EXPECT_EQ(*c.raw ? raw.find(c.raw) != std::string::npos : raw.empty(), true) << raw;
    }

    // A sphere at 200 x 200, scaled by 2: within 1 % of 4/3 pi r^3 and 4 pi r^2, the added poles at +-r.
    const float r = 3;
    mesh::Triangle_mesh sphere;
    ASSERT_EQ(check_views(shape(1, 1, 0, 2, 2, 2, r / 2, 200, 200, 2), sphere).first, "");
    const mesh::Surface_integrals integrals = mesh::surface_integrals(sphere.view());
    EXPECT_NEAR(integrals.volume / (4.0 / 3 * M_PI * r * r * r), 1, 0.01);
    EXPECT_NEAR(integrals.area / (4 * M_PI * r * r), 1, 0.01);
    EXPECT_NEAR(sphere.positions[0].y, r, 1e-6f);
    EXPECT_NEAR(sphere.positions.back().y, -r, 1e-6f);

    // A ring of tube 1 at torus 2, 96 x 96: before the weld its last row lies one step of the tube's circle
    // (2 sin(pi / 96)) from its first, and its last column on its first.
    mesh::Triangle_mesh grid96;
    ASSERT_TRUE(mesh::build_raw_grid(shape(1, 1, 0, 1, 1, 1, 1, 96, 96, 1, 2), grid96).ok());
    const auto apart = [&](int k, int l) {
        const mesh::Tvector3 &p = grid96.positions[k], &q = grid96.positions[l];
        return std::hypot(p.x - q.x, p.y - q.y, p.z - q.z);
    };
    EXPECT_NEAR(apart(95 * 97, 0), 2 * std::sin(M_PI / 96), 1e-5) << "the seam between the last row and the first";
    EXPECT_NEAR(apart(96, 0), 0, 1e-5) << "the last column on the first";

    // 2 + 7 x 8 vertices and 2 x 8 x 7 triangles for 8 x 8, in buffers of exactly that size (checked by ASan).
    const Nsupershape::Tsupershape grid;
    mesh::Mesh_size written;
    const auto fill = [&](std::size_t vertices, std::size_t triangles) {
        return mesh::fill_closed_mesh(grid.vertices.get(), 8, 8, {0, 1, 0},
                                      std::vector<mesh::Tvector3>(vertices).data(), vertices,
                                      std::vector<mesh::Ttriangle>(triangles).data(), triangles, &written)
            .ok();
    };
    ASSERT_TRUE(fill(58, 112));
    EXPECT_EQ(std::pair(written.vertex_count, written.triangle_count), std::pair(std::size_t(58), std::size_t(112)));
    EXPECT_FALSE(fill(57, 112));
    EXPECT_FALSE(fill(58, 111));
    EXPECT_EQ(written.triangle_count, 0u);
}

// Swapping two axes is a reflection, so the surface over the default grid swapped x and y is lit as its mirror image.
// Worked out by hand: the first quad at the pole gives (2, 1, 0), the pole and the first two columns of row 0 at
// theta = -3pi/4 and -pi/2, which turns counter-clockwise seen from outside; mirrored it must turn the other way.
TEST(LitSurface, ASwappedGridIsLitAsItsMirrorImage)
{
    Nsupershape::Tsupershape grid;
    mesh::Lit_surface plain, swapped;
    ASSERT_TRUE(mesh::build_lit_surface(grid.vertices.get(), 8, 8, grid.formula(), 1, "", plain).ok());
    grid.swap_axis(0);
    ASSERT_TRUE(mesh::build_lit_surface(grid.vertices.get(), 8, 8, grid.formula(), 1, "0", swapped).ok());
    const auto corners = [](const mesh::Ttriangle& t) { return std::tuple(t.i0, t.i1, t.i2); };
    EXPECT_EQ(corners(plain.mesh.triangles[0]), std::tuple(2, 1, 0));
    EXPECT_EQ(corners(swapped.mesh.triangles[0]), std::tuple(2, 0, 1));
    EXPECT_EQ(swapped.mesh.positions[0].x, plain.mesh.positions[0].y) << "the pole is swapped too";
    ASSERT_EQ(swapped.normals.size(), plain.normals.size());
    for (std::size_t k = 0; k < plain.normals.size(); ++k) {
        const mesh::Tvector3 &n = plain.normals[k], &m = swapped.normals[k];
        EXPECT_EQ(std::tuple(m.x, m.y, m.z), std::tuple(n.y, n.x, n.z)) << k;
    }
}

// A cube folds by 90 degrees at every edge: each corner splits into its three faces' sides, 24 vertices in all (and
// the point below), each corner's normal its face's axis and each copy where its vertex is.
TEST(LitSurface, ACubesCornersTakeANormalForEachFace)
{
    mesh::Lit_surface cube;
    for (int k = 0; k < 8; ++k)
        cube.mesh.positions.push_back({float(k & 1), float(k >> 1 & 1), float(k >> 2)});
    // -z, +z, -y, +y, -x, +x, two triangles each.
    cube.mesh.triangles = {{0, 2, 3}, {3, 1, 0}, {4, 5, 7}, {7, 6, 4}, {0, 1, 5}, {5, 4, 0},
                           {2, 6, 7}, {7, 3, 2}, {0, 4, 6}, {6, 2, 0}, {1, 3, 7}, {7, 5, 1}};
    // And a point that no face with an area reaches, which gets +Y: readers need unit normals.
    cube.mesh.positions.push_back({2, 2, 2});
    cube.mesh.triangles.push_back({8, 8, 8});
    const mesh::Triangle_mesh closed = cube.mesh;
    mesh::light(cube);
    ASSERT_EQ(cube.mesh.positions.size(), 25u);
    EXPECT_EQ(std::tuple(cube.normals[8].x, cube.normals[8].y, cube.normals[8].z), std::tuple(0.0f, 1.0f, 0.0f));
    for (std::size_t t = 0; t < 12; ++t)
        for (int c = 0; c < 3; ++c) {
            const std::int32_t k = (&cube.mesh.triangles[t].i0)[c];
            const mesh::Tvector3& n = cube.normals[std::size_t(k)];
            float want[3] = {0, 0, 0};
            want[2 - t / 4] = t / 2 % 2 ? 1.0f : -1.0f;
            EXPECT_EQ(std::tuple(n.x, n.y, n.z), std::tuple(want[0], want[1], want[2])) << "triangle " << t;
            const mesh::Tvector3 &p = cube.mesh.positions[std::size_t(k)],
                                 &q = closed.positions[std::size_t((&closed.triangles[t].i0)[c])];
            EXPECT_EQ(std::tuple(p.x, p.y, p.z), std::tuple(q.x, q.y, q.z)) << "triangle " << t;
        }
}

TEST(MeshStatistics, ClosednessAndBoxOfATetrahedron)
{
    const mesh::Tvector3 corners[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const auto measure = [&](std::vector<mesh::Ttriangle> t) {
        return mesh::measure({corners, 4, t.data(), t.size()});
    };
    const mesh::Mesh_statistics outward = measure({{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}});
    EXPECT_TRUE(outward.closed);
    EXPECT_EQ(outward.box.max.z, 1.0f);
    EXPECT_GT(outward.integrals.volume, 0);
    EXPECT_FALSE(measure({{0, 2, 1}, {0, 1, 3}, {0, 3, 2}}).closed) << "open";
    EXPECT_FALSE(measure({{0, 1, 2}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}}).closed) << "inconsistently oriented";
    EXPECT_FALSE(measure({{0, 2, 1}, {0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}}).closed) << "edges in three triangles";
}

// A 2 mm cube, whose bottom rests on the bed, and an octahedron 4 x 4 x 2, whose lower half faces 54.7 degrees
// from the vertical, standing on its point: 0.1 above it the section is a square of half-diagonal 0.2. The same
// octahedron turned to stand on Y measures the same.
TEST(PrintMeasures, VolumeContactAndOverhangOfHandWorkedSolids)
{
    const std::vector<mesh::Tvector3> cube = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {2, 2, 0},
                                              {0, 0, 2}, {2, 0, 2}, {0, 2, 2}, {2, 2, 2}};
    const std::vector<mesh::Ttriangle> cube_faces = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4},
                                                     {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}};
    const std::vector<mesh::Tvector3> octahedron = {{2, 0, 0},  {0, 2, 0}, {-2, 0, 0},
                                                    {0, -2, 0}, {0, 0, 1}, {0, 0, -1}};
    std::vector<mesh::Tvector3> on_y;
    for (const mesh::Tvector3& p : octahedron)
        on_y.push_back({p.x, p.z, -p.y});
    const std::vector<mesh::Ttriangle> octahedron_faces = {{0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {3, 0, 4},
                                                           {1, 0, 5}, {2, 1, 5}, {3, 2, 5}, {0, 3, 5}};
    const struct {
        const char* name;
        const std::vector<mesh::Tvector3>& positions;
        const std::vector<mesh::Ttriangle>& triangles;
        mesh::Up up;
        double volume, contact, overhang;
    } solids[] = {{"cube", cube, cube_faces, mesh::Up::z, 8, 4, 0},
                  {"octahedron", octahedron, octahedron_faces, mesh::Up::z, 16.0 / 3, 0.08, 0.5},
                  {"octahedron on y", on_y, octahedron_faces, mesh::Up::y, 16.0 / 3, 0.08, 0.5}};
    for (const auto& solid : solids) {
        const mesh::Mesh_view view{solid.positions.data(), solid.positions.size(), solid.triangles.data(),
                                   solid.triangles.size()};
        const mesh::Print_measures got = mesh::measure_print(view, solid.up, 0.1);
        EXPECT_NEAR(got.volume, solid.volume, 1e-9) << solid.name;
        EXPECT_NEAR(got.contact_area, solid.contact, 1e-6) << solid.name;
        EXPECT_NEAR(got.overhang_share, solid.overhang, 1e-9) << solid.name;
    }
    const mesh::Mesh_view view{cube.data(), cube.size(), cube_faces.data(), cube_faces.size()};
    EXPECT_EQ(mesh::cross_section_area(view, mesh::Up::z, 0), 4) << "the bottom's corners count as below";
    EXPECT_EQ(mesh::cross_section_area(view, mesh::Up::z, 2), 0) << "the top's too";
}

// A base 2 mm above the lowest point of shapes 40 mm across, on either up axis: a ball's one outline, a lying ring's
// annulus, the urchin's three, one of them a hole. What is left is closed, its lowest vertices lie in one
// plane, and the cap's triangles face down and cover exactly the section there: any overlap or gap would part the
// sum of their areas from the section's.
TEST(BaseCut, TheCapClosesTheCutExactlyInThePlane)
{
    Tparams urchin = shape(1, 1, 7, 0.2f, 1.7f, 1.7f, 1, 96, 96, 1);
    urchin.a2 = 1, urchin.b2 = 1, urchin.m2 = 7, urchin.n1_2 = 0.2f, urchin.n2_2 = 1.7f, urchin.n3_2 = 1.7f;
    const Tparams shapes[] = {shape(1, 1, 0, 2, 2, 2, 1, 48, 48, 1), shape(1, 1, 0, 1, 1, 1, 1, 24, 48, 1, 1.5f),
                              urchin};
    for (const Tparams& params : shapes)
        for (const mesh::Up up : {mesh::Up::y, mesh::Up::z}) {
            const std::string name = std::to_string(params.m) + (up == mesh::Up::y ? " on y" : " on z");
            mesh::Triangle_mesh whole, based;
            ASSERT_TRUE(mesh::build_closed_mesh(params, whole).ok());
            ASSERT_TRUE(mesh::place(whole, {up, 40}, 1).ok());
            based = whole;
            ASSERT_TRUE(mesh::cut_base(based, up, 2).ok()) << name;
            EXPECT_TRUE(mesh::is_closed(based.view())) << name;
            const auto height = [up](const mesh::Tvector3& p) { return up == mesh::Up::y ? p.y : p.z; };
            float low = height(based.positions[0]), whole_low = height(whole.positions[0]);
            for (const mesh::Tvector3& p : based.positions)
                low = std::min(low, height(p));
            for (const mesh::Tvector3& p : whole.positions)
                whole_low = std::min(whole_low, height(p));
            int near_the_bed = 0;
            double cap = 0, facing_down = 0;
            for (const mesh::Tvector3& p : based.positions)
                near_the_bed += height(p) > low && height(p) < low + 1e-3f;
            for (const mesh::Ttriangle& t : based.triangles) {
                const mesh::Tvector3 &p = based.positions[t.i0], &q = based.positions[t.i1], &r = based.positions[t.i2];
                if (height(p) != low || height(q) != low || height(r) != low)
                    continue;
                const auto normal = Nsupershape::area_normal<double>(p, q, r);
                cap += std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z) / 2;
                facing_down -= (up == mesh::Up::y ? normal.y : normal.z) / 2;
            }
            EXPECT_EQ(near_the_bed, 0) << name << ": within a micrometre of the bed but not on it";
            const double section = mesh::cross_section_area(whole.view(), up, double(whole_low) + 2);
            EXPECT_NEAR(cap, section, 1e-4 * section) << name;
            EXPECT_NEAR(facing_down, section, 1e-4 * section) << name;
            EXPECT_NEAR(mesh::measure_print(based.view(), up, 0.1).flat_area, cap, 1e-9 * cap) << name;
        }
}

namespace {

// The distance from p to triangle a, b, c: to its plane where p lies over it, else to the nearest of its sides.
double distance_to_triangle(const mesh::Tvector3& p, const mesh::Tvector3& a, const mesh::Tvector3& b,
                            const mesh::Tvector3& c)
{
    using V = Nsupershape::Vector3<double>;
    const auto minus = [](V u, V v) { return V{u.x - v.x, u.y - v.y, u.z - v.z}; };
    const auto dot = [](V u, V v) { return u.x * v.x + u.y * v.y + u.z * v.z; };
    const V q{p.x, p.y, p.z}, corner[3] = {{a.x, a.y, a.z}, {b.x, b.y, b.z}, {c.x, c.y, c.z}};
    const auto n = Nsupershape::area_normal<double>(a, b, c);
    const V normal{n.x, n.y, n.z};
    bool over = true;
    double nearest = INFINITY;
    for (int k = 0; k < 3; ++k) {
        const V from = corner[k], side = minus(corner[(k + 1) % 3], from), to_q = minus(q, from);
        const auto inward = Nsupershape::area_normal<double>(from, corner[(k + 1) % 3], q);
        over = over && dot(V{inward.x, inward.y, inward.z}, normal) >= 0;
        const double t = std::clamp(dot(to_q, side) / dot(side, side), 0.0, 1.0);
        const V off = minus(to_q, V{side.x * t, side.y * t, side.z * t});
        nearest = std::min(nearest, std::sqrt(dot(off, off)));
    }
    return over ? std::fabs(dot(minus(q, corner[0]), normal)) / std::sqrt(dot(normal, normal)) : nearest;
}

double height(const mesh::Tvector3& p, mesh::Up up) { return up == mesh::Up::y ? p.y : p.z; }

// The area of the triangles lying flat at the lowest height, and how many pairs of neighbours fold back onto each
// other, their normals more than 154 degrees apart.
std::pair<double, int> bottom_and_folds(const mesh::Triangle_mesh& m, mesh::Up up)
{
    double low = INFINITY, bottom = 0;
    for (const mesh::Tvector3& p : m.positions)
        low = std::min(low, height(p, up));
    std::map<std::pair<int, int>, Nsupershape::Vector3<double>> normal_along;
    for (const mesh::Ttriangle& t : m.triangles) {
        const auto n = Nsupershape::area_normal<double>(m.positions[t.i0], m.positions[t.i1], m.positions[t.i2]);
        if (height(m.positions[t.i0], up) == low && height(m.positions[t.i1], up) == low &&
            height(m.positions[t.i2], up) == low)
            bottom += std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z) / 2;
        for (const auto& edge : {std::pair(t.i0, t.i1), std::pair(t.i1, t.i2), std::pair(t.i2, t.i0)})
            normal_along[edge] = {n.x, n.y, n.z};
    }
    int folds = 0;
    for (const auto& [edge, n] : normal_along)
        if (const auto other = normal_along.find({edge.second, edge.first});
            edge.first < edge.second && other != normal_along.end()) {
            const auto& o = other->second;
            folds += n.x * o.x + n.y * o.y + n.z * o.z <
                     -0.9 * std::sqrt((n.x * n.x + n.y * n.y + n.z * n.z) * (o.x * o.x + o.y * o.y + o.z * o.z));
        }
    return {bottom, folds};
}

Tparams urchin(int slices, int bands)
{
    Tparams p = shape(1, 1, 7, 0.2f, 1.7f, 1.7f, 1, slices, bands, 1);
    p.a2 = 1, p.b2 = 1, p.m2 = 7, p.n1_2 = 0.2f, p.n2_2 = 1.7f, p.n3_2 = 1.7f;
    return p;
}

} // namespace

// Shapes 40 mm across made coarser: the urchin's two million triangles to 100,000, with a base to 5,000, and a lying
// ring to 3,000. Each stays closed with its volume, and a base's cap stays in its plane.
TEST(Simplify, TheCoarserMeshIsClosedKeepsItsVolumeAndItsCap)
{
    const struct {
        const char* name;
        Tparams params;
        mesh::Placement placement;
        std::size_t target;
    } cases[] = {{"urchin", urchin(999, 999), {mesh::Up::z, 40}, 100000},
                 {"based urchin", urchin(200, 200), {mesh::Up::z, 40, 2}, 5000},
                 {"ring", shape(1, 1, 0, 1, 1, 1, 1, 100, 100, 1, 1.5f), {mesh::Up::y, 40}, 3000}};
    for (const auto& c : cases) {
        mesh::Triangle_mesh coarse;
        ASSERT_TRUE(mesh::build_closed_mesh(c.params, coarse).ok()) << c.name;
        ASSERT_TRUE(mesh::place(coarse, c.placement, 1).ok()) << c.name;
        const double volume = mesh::surface_integrals(coarse.view()).volume;
        const auto [bottom, folds] = bottom_and_folds(coarse, c.placement.up);
        mesh::Simplified result;
        ASSERT_TRUE(mesh::simplify(coarse, c.target, c.placement.up, result).ok()) << c.name;
        EXPECT_LE(coarse.triangles.size(), c.target) << c.name;
        EXPECT_TRUE(mesh::is_closed(coarse.view())) << c.name;
        EXPECT_NEAR(mesh::surface_integrals(coarse.view()).volume, volume, 0.01 * volume) << c.name;
        double low = INFINITY;
        for (const mesh::Tvector3& p : coarse.positions)
            low = std::min(low, height(p, c.placement.up));
        int off_the_plane = 0;
        for (const mesh::Tvector3& p : coarse.positions)
            off_the_plane += height(p, c.placement.up) > low + 1e-6 && height(p, c.placement.up) < low + 1e-3;
        EXPECT_EQ(off_the_plane, 0) << c.name << ": near the bed but not on it";
        const auto [coarse_bottom, coarse_folds] = bottom_and_folds(coarse, c.placement.up);
        EXPECT_NEAR(coarse_bottom, bottom, 0.02 * bottom) << c.name;
        EXPECT_EQ(coarse_folds, folds) << c.name;
    }
}

// Every vertex of the based urchin against every triangle of its coarse mesh: the farthest is what is reported.
TEST(Simplify, TheDeviationIsTheFarthestAFullVertexLiesFromTheCoarseSurface)
{
    mesh::Triangle_mesh full, coarse;
    ASSERT_TRUE(mesh::build_closed_mesh(urchin(96, 96), full).ok());
    ASSERT_TRUE(mesh::place(full, {mesh::Up::z, 40, 2}, 1).ok());
    coarse = full;
    mesh::Simplified result;
    ASSERT_TRUE(mesh::simplify(coarse, 500, mesh::Up::z, result).ok());
    double farthest = 0;
    for (const mesh::Tvector3& p : full.positions) {
        double nearest = INFINITY;
        for (const mesh::Ttriangle& t : coarse.triangles)
            nearest = std::min(nearest, distance_to_triangle(p, coarse.positions[t.i0], coarse.positions[t.i1],
                                                             coarse.positions[t.i2]));
        farthest = std::max(farthest, nearest);
    }
    EXPECT_EQ(result.full_triangle_count, full.triangles.size());
    EXPECT_NEAR(result.deviation, farthest, 1e-9 * farthest);
}
