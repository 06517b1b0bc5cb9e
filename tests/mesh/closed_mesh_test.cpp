#include "app/Tparams.h"
#include "mesh/closed_mesh.h"
#include "mesh/statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

using Nsupershape::Tsupershape;

namespace {

// Everything the mesh reads.
Tparams shape(float a, float b, float m, float n1, float n2, float n3, float radius, int slices, int bands, float scale)
{
    Tparams p;
    p.a = a, p.b = b, p.m = m, p.n1 = n1, p.n2 = n2, p.n3 = n3, p.radius = radius;
    p.slices = slices, p.bands = bands, p.scale = scale;
    return p;
}

// Builds the closed mesh of `params` and, when it is accepted, checks what
// every accepted mesh must be; returns the refusal's reason otherwise.
std::string check_closed(const Tparams& params, mesh::Closed_mesh& closed)
{
    Tsupershape grid;
    mesh::reset_like_editor(grid, params);
    const mesh::Status status = mesh::build_closed_mesh(grid, params.scale, closed);
    if (!status.ok())
        return status.reason;
    const int slices = params.slices, bands = params.bands, columns = bands + 1;
    mesh::Mesh_size size;
    EXPECT_TRUE(mesh::closed_mesh_size(slices, bands, size).ok() &&
                closed.positions.size() == std::size_t(size.vertex_count) &&
                closed.triangles.size() == std::size_t(size.triangle_count));
    const mesh::Mesh_statistics stats = mesh::measure(closed.view());
    EXPECT_TRUE(stats.closed && stats.integrals.volume > 0);
    // Kept grid positions are the editor's, bit for bit; the added pole is on the axis.
    for (int row = 0; row + 1 < slices; ++row)
        EXPECT_EQ(0, std::memcmp(&closed.positions[1 + row * bands], &grid.vertices[row * columns],
                                 bands * sizeof(mesh::Tvector3)));
    EXPECT_EQ(0, std::memcmp(&closed.positions.back(), &grid.vertices[(slices - 1) * columns], sizeof(mesh::Tvector3)));
    EXPECT_TRUE(closed.positions[0].x == 0 && closed.positions[0].z == 0);
    return "";
}

} // namespace

// Accepted shapes pass the checks above, and their raw grid is the editor's
// own list; refused ones say why, in both views.
TEST(ClosedMesh, ShapesAreClosedAndFaceOutwardsOrAreRefusedWithTheReason)
{
    const struct {
        Tparams params;
        const char* reason; // part of the closed mesh's reason; empty when accepted
        const char* raw;    // part of the raw view's; empty when accepted
    } cases[] = {
        {shape(1, 1, 4, 0.3f, 1, 1, 1, 8, 8, 1), "", ""}, // the start values
        {shape(1, 1, 6, 0.6f, 1.2f, 1.7f, -2, 20, 25, 1), "", ""},
        {shape(1, 1, 6, 0.6f, 1.2f, 1.7f, 1, 20, 25, -0.5f), "", ""},
        {shape(1, 1, 60, 0.4f, 1, 1, 1, 50, 120, 1), "", ""},
        {shape(1, 1, 7, 0.02f, 1.7f, 1.7f, 1, 40, 40, 1), "", ""},
        {shape(1, 1, 4, 0.3f, 1, 1, 1, 2, 3, 1), "", ""},
        {shape(1, 1, 4, 0.3f, 1, 1, 1, 1, 8, 1), "one row", "one row"},
        {shape(1, 1, 4, 0.3f, 1, 1, 1, 8, 1, 1), "3 bands", ""},
        {shape(1, 1, 4, 0.3f, 1, 1, 1, 8, 2, 1), "3 bands", ""},
        {shape(0, 1, 4, 0.3f, 1, 1, 1, 8, 8, 1), "no area", "no area"},
        {shape(2, 2, 4, 0, 1, 1, 1, 8, 8, 1), "not a finite number", "not a finite number"},
        {shape(1, 1, 4, 0.3f, 1, 1, 1, 8, 8, 0), "no area", "no area"},
    };
    for (const auto& c : cases) {
        mesh::Closed_mesh closed;
        const std::string reason = check_closed(c.params, closed);
        EXPECT_TRUE(*c.reason ? reason.find(c.reason) != std::string::npos : reason.empty()) << reason;
        Tsupershape grid;
        mesh::reset_like_editor(grid, c.params);
        mesh::Mesh_view raw;
        const mesh::Status status = mesh::raw_view(grid, raw);
        EXPECT_TRUE(*c.raw ? status.reason.find(c.raw) != std::string::npos
                           : status.ok() && raw.triangles == grid.triangles.get() &&
                                 raw.triangle_count == std::size_t(grid.triangle_count)) << &c - cases;
    }
    std::mt19937 random(20240611);
    const auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); };
    const auto count = [&] { return std::uniform_int_distribution<int>(0, 40)(random); };
    int accepted = 0;
    for (int k = 0; k < 300; ++k) {
        mesh::Closed_mesh closed;
        const std::string reason =
            check_closed(shape(uniform(0, 3), uniform(0, 3), uniform(0, 40), uniform(-1, 8), uniform(0, 8),
                               uniform(0, 8), uniform(-3, 3), count(), count(), uniform(-2, 2)), closed);
        accepted += reason.empty();
        EXPECT_TRUE(reason.empty() || (closed.positions.empty() && closed.triangles.empty())) << k;
    }
    EXPECT_GT(accepted, 150);
}

// At 200 x 200 within 1 % of 4/3 pi r^3 and 4 pi r^2; the added poles at
// +-radius, as the rows approach them, scaled with the rest.
TEST(ClosedMesh, SphereVolumeAreaAndPoles)
{
    const float r = 1.5f;
    mesh::Closed_mesh sphere;
    ASSERT_EQ(check_closed(shape(1, 1, 0, 2, 2, 2, r, 200, 200, 1), sphere), "");
    const mesh::Surface_integrals integrals = mesh::surface_integrals(sphere.view());
    EXPECT_NEAR(integrals.volume / (4.0 / 3 * M_PI * r * r * r), 1, 0.01);
    EXPECT_NEAR(integrals.area / (4 * M_PI * r * r), 1, 0.01);
    ASSERT_EQ(check_closed(shape(1, 1, 0, 2, 2, 2, r, 10, 10, 2), sphere), "");
    EXPECT_NEAR(sphere.positions[0].y, 3.0f, 1e-6f);
    EXPECT_NEAR(sphere.positions.back().y, -3.0f, 1e-6f);
}

// 2 + 7 x 8 vertices and 2 x 8 x 7 triangles for the 8 x 8 grid, in buffers
// of exactly that size (under the sanitizer a write past one fails).
TEST(ClosedMesh, CountsMatchTheFillAndSmallBuffersAreRefused)
{
    mesh::Mesh_size size, written;
    ASSERT_TRUE(mesh::closed_mesh_size(8, 8, size).ok());
    EXPECT_EQ(size.vertex_count * 1000 + size.triangle_count, 58112);
    const Tsupershape grid;
    const auto fill = [&](std::size_t vertices, std::size_t triangles) {
        std::vector<mesh::Tvector3> p(vertices);
        std::vector<mesh::Ttriangle> t(triangles);
        return mesh::fill_closed_mesh(grid, 1, p.data(), vertices, t.data(), triangles, &written).ok();
    };
    EXPECT_TRUE(fill(58, 112));
    EXPECT_EQ(written.vertex_count * 1000 + written.triangle_count, 58112);
    EXPECT_FALSE(fill(57, 112) || fill(58, 111));
    EXPECT_EQ(written.triangle_count, 0);
}

TEST(MeshStatistics, ClosednessAreaVolumeAndBoxOfATetrahedron)
{
    const mesh::Tvector3 corners[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const auto measure = [&](std::vector<mesh::Ttriangle> triangles) {
        return mesh::measure({corners, 4, triangles.data(), triangles.size()});
    };
    const mesh::Mesh_statistics outward = measure({{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}});
    EXPECT_TRUE(outward.closed);
    EXPECT_DOUBLE_EQ(outward.integrals.volume, 1.0 / 6);
    EXPECT_DOUBLE_EQ(outward.integrals.area, 1.5 + std::sqrt(3.0) / 2);
    EXPECT_EQ(outward.box.max.z, 1.0f);
    EXPECT_FALSE(measure({{0, 2, 1}, {0, 1, 3}, {0, 3, 2}}).closed) << "open";
    EXPECT_FALSE(measure({{0, 1, 2}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}}).closed) << "inconsistently oriented";
    EXPECT_FALSE(measure({{0, 2, 1}, {0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}}).closed) << "edges in three triangles";
}
