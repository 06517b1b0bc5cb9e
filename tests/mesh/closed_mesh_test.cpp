#include "app/Tparams.h"
#include "mesh/closed_mesh.h"
#include "mesh/statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

using Nsupershape::Tsupershape;

namespace {

Tparams shape_params(float a, float b, float m, float n1, float n2, float n3, float radius,
                     int slices, int bands, float scale = 1)
{
    Tparams params;
    set_start_values(params);
    params.a = a;
    params.b = b;
    params.m = m;
    params.n1 = n1;
    params.n2 = n2;
    params.n3 = n3;
    params.radius = radius;
    params.slices = slices;
    params.bands = bands;
    params.scale = scale;
    return params;
}

// Builds the closed mesh of `params` and, when it is accepted, checks what
// every accepted mesh must be; returns the refusal's reason otherwise.
std::string check_closed(const Tparams& params, mesh::Closed_mesh& closed)
{
    Tsupershape shape;
    mesh::reset_like_editor(shape, params);
    const mesh::Status status = mesh::build_closed_mesh(shape, params.scale, closed);
    if (!status.ok())
        return status.reason;
    const int slices = params.slices, bands = params.bands, columns = bands + 1;
    mesh::Mesh_size size;
    EXPECT_TRUE(mesh::closed_mesh_size(slices, bands, size).ok());
    EXPECT_EQ(closed.positions.size(), std::size_t(size.vertex_count));
    EXPECT_EQ(closed.triangles.size(), std::size_t(size.triangle_count));
    const mesh::Mesh_statistics stats = mesh::measure(closed.view());
    EXPECT_TRUE(stats.closed);
    EXPECT_GT(stats.integrals.volume, 0);
    // Kept grid positions are the editor's, bit for bit; the added pole is on the axis.
    for (int row = 0; row + 1 < slices; ++row)
        EXPECT_EQ(0, std::memcmp(&closed.positions[1 + row * bands], &shape.vertices[row * columns],
                                 bands * sizeof(mesh::Tvector3)));
    EXPECT_EQ(0, std::memcmp(&closed.positions.back(), &shape.vertices[(slices - 1) * columns],
                             sizeof(mesh::Tvector3)));
    EXPECT_EQ(closed.positions[0].x, 0.0f);
    EXPECT_EQ(closed.positions[0].z, 0.0f);
    return "";
}

} // namespace

TEST(ClosedMesh, NamedShapesAreClosedAndFaceOutwards)
{
    const struct {
        const char* name;
        Tparams params;
    } cases[] = {
        {"defaults", shape_params(1, 1, 4, 0.3f, 1, 1, 1, 8, 8)},
        {"sphere", shape_params(1, 1, 0, 2, 2, 2, 1, 30, 40)},
        {"negative radius", shape_params(1, 1, 6, 0.6f, 1.2f, 1.7f, -2, 20, 25)},
        {"negative scale", shape_params(1, 1, 6, 0.6f, 1.2f, 1.7f, 1, 20, 25, -0.5f)},
        {"high m", shape_params(1, 1, 60, 0.4f, 1, 1, 1, 50, 120)},
        {"small n1", shape_params(1, 1, 7, 0.02f, 1.7f, 1.7f, 1, 40, 40)},
        {"three bands, two rows", shape_params(1, 1, 4, 0.3f, 1, 1, 1, 2, 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mesh::Closed_mesh closed;
        EXPECT_EQ(check_closed(c.params, closed), "");
    }
    // The sphere's added pole lies at +radius, as its first rows approach it.
    mesh::Closed_mesh sphere;
    check_closed(shape_params(1, 1, 0, 2, 2, 2, 1.5f, 10, 10, 2), sphere);
    EXPECT_NEAR(sphere.positions[0].y, 3.0f, 1e-6f);
    EXPECT_NEAR(sphere.positions.back().y, -3.0f, 1e-6f);
}

TEST(ClosedMesh, RandomShapesAreClosedOrRefusedWithAReason)
{
    std::mt19937 random(20240611);
    const auto uniform = [&](float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random);
    };
    const auto count = [&] { return std::uniform_int_distribution<int>(0, 40)(random); };
    int accepted = 0;
    for (int k = 0; k < 300; ++k) {
        const Tparams params = shape_params(uniform(0, 3), uniform(0, 3), uniform(0, 40),
                                            uniform(-1, 8), uniform(0, 8), uniform(0, 8),
                                            uniform(-3, 3), count(), count(), uniform(-2, 2));
        SCOPED_TRACE(k);
        mesh::Closed_mesh closed;
        const std::string reason = check_closed(params, closed);
        accepted += reason.empty();
        if (!reason.empty()) {
            EXPECT_TRUE(closed.positions.empty() && closed.triangles.empty());
        }
    }
    EXPECT_GT(accepted, 150);
}

TEST(ClosedMesh, SphereVolumeAndAreaAt200By200)
{
    const float r = 1.5f;
    mesh::Closed_mesh closed;
    ASSERT_EQ(check_closed(shape_params(1, 1, 0, 2, 2, 2, r, 200, 200), closed), "");
    const mesh::Surface_integrals integrals = mesh::surface_integrals(closed.view());
    EXPECT_NEAR(integrals.volume / (4.0 / 3 * M_PI * r * r * r), 1, 0.01);
    EXPECT_NEAR(integrals.area / (4 * M_PI * r * r), 1, 0.01);
}

TEST(ClosedMesh, CountsMatchTheFillAndSmallBuffersAreRefused)
{
    mesh::Mesh_size size, written;
    ASSERT_TRUE(mesh::closed_mesh_size(8, 8, size).ok());
    EXPECT_EQ(size.vertex_count, 58);
    EXPECT_EQ(size.triangle_count, 112);
    const Tsupershape shape;
    const auto fill = [&](std::size_t vertices, std::size_t triangles) {
        // Buffers of exactly this size: under the sanitizer a write past one fails.
        std::vector<mesh::Tvector3> p(vertices);
        std::vector<mesh::Ttriangle> t(triangles);
        return mesh::fill_closed_mesh(shape, 1, p.data(), vertices, t.data(), triangles, &written);
    };
    EXPECT_TRUE(fill(58, 112).ok());
    EXPECT_EQ(written.vertex_count, 58);
    EXPECT_EQ(written.triangle_count, 112);
    EXPECT_FALSE(fill(57, 112).ok());
    EXPECT_FALSE(fill(58, 111).ok());
    EXPECT_EQ(written.triangle_count, 0);
}

TEST(ClosedMesh, ShapesWithoutAreaVolumeOrFiniteCoordinatesAreRefused)
{
    const struct {
        Tparams params;
        const char* reason;  // part of the closed mesh's reason
        const char* raw;     // part of the raw view's, or null when it is accepted
    } cases[] = {
        {shape_params(1, 1, 4, 0.3f, 1, 1, 1, 1, 8), "one row", "one row"},
        {shape_params(1, 1, 4, 0.3f, 1, 1, 1, 8, 1), "3 bands", nullptr},
        {shape_params(1, 1, 4, 0.3f, 1, 1, 1, 8, 2), "3 bands", nullptr},
        {shape_params(0, 1, 4, 0.3f, 1, 1, 1, 8, 8), "no area", "no area"},
        {shape_params(2, 2, 4, 0, 1, 1, 1, 8, 8), "not a finite number", "not a finite number"},
        {shape_params(1, 1, 4, 0.3f, 1, 1, 1, 8, 8, 0), "no area", "no area"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        mesh::Closed_mesh closed;
        EXPECT_NE(check_closed(c.params, closed).find(c.reason), std::string::npos);
        Tsupershape shape;
        mesh::reset_like_editor(shape, c.params);
        mesh::Mesh_view raw;
        const mesh::Status status = mesh::raw_view(shape, raw);
        if (c.raw) {
            EXPECT_NE(status.reason.find(c.raw), std::string::npos);
        } else {
            EXPECT_TRUE(status.ok() && raw.triangles == shape.triangles.get() &&
                        raw.triangle_count == std::size_t(shape.triangle_count))
                << status.reason;
        }
    }
}

TEST(MeshStatistics, ClosednessAreaVolumeAndBox)
{
    const mesh::Tvector3 corners[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const mesh::Ttriangle outward[] = {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}};
    const mesh::Ttriangle flipped_one[] = {{0, 1, 2}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}};
    const mesh::Ttriangle repeated[] = {{0, 2, 1}, {0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}};
    const auto view = [&](const mesh::Ttriangle* triangles, std::size_t count) {
        return mesh::measure({corners, 4, triangles, count});
    };
    const mesh::Mesh_statistics tetrahedron = view(outward, 4);
    EXPECT_TRUE(tetrahedron.closed);
    EXPECT_DOUBLE_EQ(tetrahedron.integrals.volume, 1.0 / 6);
    EXPECT_DOUBLE_EQ(tetrahedron.integrals.area, 1.5 + std::sqrt(3.0) / 2);
    EXPECT_EQ(tetrahedron.box.max.z, 1.0f);
    EXPECT_FALSE(view(outward, 3).closed) << "open";
    EXPECT_FALSE(view(flipped_one, 4).closed) << "inconsistently oriented";
    EXPECT_FALSE(view(repeated, 5).closed) << "edges in three triangles";
}
