// The supershape's mesh against the formula evaluated vertex by vertex, its
// triangle list, its edits and its storage.
#include "runtime/fatal_error.h"
#include "shape/Tsupershape.h"
#include "tests/support/child_process.h"
#include "tests/support/reference_mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sys/resource.h>
#include <type_traits>
#include <utility>
#include <vector>

using Nsupershape::Tsupershape;
using Nsupershape::Tvector3;

static_assert(!std::is_copy_constructible_v<Tsupershape> && !std::is_copy_assignable_v<Tsupershape>,
              "a supershape owns its arrays and GL list and must not be copied");

namespace {

bool same_bits(const std::vector<Tvector3>& p, const Tvector3* q)
{
    return std::memcmp(p.data(), q, p.size() * sizeof(Tvector3)) == 0;
}

bool near(const Tvector3& v, float x, float y, float z, float tolerance = 0)
{
    return std::abs(v.x - x) <= tolerance && std::abs(v.y - y) <= tolerance && std::abs(v.z - z) <= tolerance;
}

} // namespace

// Positions and normals are, bit for bit, what the formula gives vertex by vertex.
TEST(SupershapeMesh, DefaultsAndGridsMatchTheLiteralFormula)
{
    const Tsupershape defaults;
    EXPECT_EQ(std::pair(defaults.vertex_count, defaults.triangle_count), std::pair(72, 144));
    EXPECT_TRUE(near(defaults.vertices[0], -0.034955f, 0.378891f, -0.034955f, 1e-6f));
    EXPECT_TRUE(near(defaults.normals[0], -0.091480f, 0.991596f, -0.091480f, 1e-6f));
    for (int k = 0; k < defaults.vertex_count; ++k) {
        const auto& c = defaults.colors[k];
        EXPECT_TRUE(c.r == 2 * k % 6 && c.g == 3 * k % 6 && c.b == 5 * k % 6 && c.a == 1) << k;
    }
    struct Case {
        float radius;
        int slices, bands;
        float a, b, m, n1, n2, n3;
    };
    for (const Case& c : {Case{1.0f, 8, 8, 1, 1, 4, 0.3f, 1, 1}, {2.5f, 12, 20, 1, 1, 0, 2, 2, 2} /* a sphere */,
                          {1.7f, 37, 53, 0.8f, 1.3f, 7, 0.25f, 1.7f, 3.1f}, {-2.0f, 5, 9, 1, 1, 5, 1, 1, 1},
                          {2.0f, 1, 8, 1, 1, 4, 0.3f, 1, 1} /* one row, at the pole below */,
                          {1.0f, 3, 1, 1, 1, 0, 2, 2, 2} /* two columns */,
                          {1.0f, 3, 2500, 1, 1, 6, 0.5f, 0.5f, 0.5f} /* wider than one strip of columns */,
                          {1.0f, 4, 4, 0, 1, 4, 0.3f, 1, 1} /* collapses to the origin, with NaN normals */,
                          {1.0f, 8, 8, 1, 1, 4, 0, 2, 2} /* infinite radii, with normals (0, 0, 1) */,
                          {1.0f, 4, 4, 1, 1, 4, 0, 1, 1}, {3.0f, 999, 4, -999, 999, -999, 0.001f, 999, -999}}) {
        const Tsupershape shape(c.radius, c.slices, c.bands, c.a, c.b, c.m, c.n1, c.n2, c.n3);
        const auto expected = test_support::literal_shape(shape);
        ASSERT_EQ(expected.positions.size(), static_cast<std::size_t>(shape.vertex_count));
        EXPECT_TRUE(same_bits(expected.positions, shape.vertices.get())) << c.slices << "x" << c.bands;
        EXPECT_TRUE(same_bits(expected.normals, shape.normals.get())) << c.slices << "x" << c.bands;
    }
}

// The row stride is `bands`, not the grid's `bands` + 1, and indices wrap.
TEST(SupershapeMesh, TriangleListAndEmptyGrids)
{
    const Tsupershape shape(1.0f, 2, 3, 1, 1, 4, 0.3f, 1, 1);
    const std::int32_t* first = &shape.triangles[0].i0;
    EXPECT_EQ(std::vector<int>(first, first + 3 * shape.triangle_count),
              (std::vector<int>{4, 3, 0, 0, 1, 4, 5, 4, 1, 1, 2, 5, 6, 5, 2, 2, 3, 6, 7, 6, 3, 3, 4, 7,
                                7, 6, 3, 3, 4, 7, 0, 7, 4, 4, 5, 0, 1, 0, 5, 5, 6, 1, 2, 1, 6, 6, 7, 2}));
    for (auto [slices, bands] : {std::pair{0, 8}, {8, -1}, {-3, 8}, {8, -5}, {1, 0}, {5, 0}}) {
        Tsupershape empty(1.0f, slices, bands, 1, 1, 4, 0.3f, 1, 1);
        EXPECT_EQ(empty.vertex_count, slices * (bands + 1));
        empty.reset_shape(2.0f, slices, bands, 1, 1, 4, 0.3f, 1, 1);
        empty.scale(2, 2, 2);
        empty.swap_axis(1);
        empty.set_color(1, 1, 1, 1);
    }
}

TEST(SupershapeEdits, SwapScaleResetSetColorReload)
{
    Tsupershape shape(1.0f, 5, 7, 1, 1, 5, 0.4f, 1.2f, 1.5f);
    const auto [before, normals] = test_support::literal_shape(shape);
    for (int axis : {0, 1, 2})  // (x, y, z) -> (y, x, z) -> (z, x, y) -> (z, y, x)
        shape.swap_axis(axis);
    EXPECT_TRUE(near(shape.vertices[3], before[3].z, before[3].y, before[3].x));
    for (int axis : {1, 3, -1})
        shape.swap_axis(axis);
    EXPECT_TRUE(same_bits(before, shape.vertices.get()));
    shape.scale(2, 3, 0.5f);
    shape.scale(2, 1, 1);
    const int last = shape.vertex_count - 1;
    EXPECT_TRUE(near(shape.vertices[last], before[last].x * 4, before[last].y * 3, before[last].z * 0.5f));
    EXPECT_TRUE(same_bits(normals, shape.normals.get()));

    // A new evaluation on the old grid, which discards the edits.
    shape.reset_shape(2.0f, 20, 30, 1, 1, 6, 0.5f, 1, 1);
    EXPECT_EQ((std::vector<int>{shape.slices, shape.vertex_count, shape.triangle_count}), (std::vector<int>{5, 40, 80}));
    EXPECT_TRUE(same_bits(test_support::literal_shape(shape).positions, shape.vertices.get()));

    shape.set_color(0.25f, 0.5f, 0.75f, 0.125f);
    const auto& colour = shape.colors[last];
    EXPECT_TRUE(colour.r == 0.25f && colour.g == 0.5f && colour.b == 0.75f && colour.a == 0.125f);
    shape.reload(1.5f, 3, 4, 1, 1, 4, 0.3f, 1, 1);
    EXPECT_EQ(std::pair(shape.vertex_count, shape.triangle_count), std::pair(15, 30));
    EXPECT_EQ(shape.colors[1].g, 3.0f) << "the colour pattern again";
    shape.model_destroy();
    shape.model_destroy();
    EXPECT_FALSE(shape.vertex_count || shape.triangle_count || shape.vertices || shape.colors || shape.triangles);
}

TEST(SupershapeStorage, AGridTooLargeOrARefusedAllocationIsOutOfMemoryAndLeavesAnEmptyShape)
{
    const auto out_of_memory = [](auto build) {
        try {
            build();
        } catch (const runtime::Failure& failure) {
            return failure.error == runtime::out_of_memory && failure.site.routine == std::string("model_init");
        }
        return false;
    };
    EXPECT_TRUE(out_of_memory([] { Tsupershape shape(1.0f, 46000, 46000, 1, 1, 4, 0.3f, 1, 1); }));
#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer's allocator reports a failed allocation itself
    const auto refused = test_support::run_in_child([&] {
        const rlimit limit{512u << 20, 512u << 20};
        setrlimit(RLIMIT_AS, &limit);
        Tsupershape shape;
        if (out_of_memory([&] { shape.reload(1.0f, 9000, 9000, 1, 1, 4, 0.3f, 1, 1); }))  // 5 GB
            std::exit(shape.vertex_count == 0 && !shape.vertices && !shape.triangles ? 4 : 1);
    });
    EXPECT_EQ(refused.exit_status, 4);
#endif
}
