#include "runtime/fatal_error.h"
#include "shape/Tsupershape.h"
#include "tests/support/child_process.h"
#include "tests/support/reference_mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <sys/resource.h>
#include <type_traits>
#include <vector>

using Nsupershape::Tsupershape;
using Nsupershape::Ttriangle;
using Nsupershape::Tvector3;

static_assert(!std::is_copy_constructible_v<Tsupershape> && !std::is_copy_assignable_v<Tsupershape>,
              "a supershape owns its arrays and GL list and must not be copied");

namespace Nsupershape {
bool operator==(const Ttriangle& p, const Ttriangle& q) { return p.i0 == q.i0 && p.i1 == q.i1 && p.i2 == q.i2; }
void PrintTo(const Ttriangle& t, std::ostream* out) { *out << "(" << t.i0 << "," << t.i1 << "," << t.i2 << ")"; }
} // namespace Nsupershape

namespace {

void expect_near(const Tvector3& v, float x, float y, float z, float tolerance = 1e-6f)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

std::vector<Ttriangle> triangles_of(const Tsupershape& shape)
{
    return {shape.triangles.get(), shape.triangles.get() + shape.triangle_count};
}

std::vector<Tvector3> positions_of(const Tsupershape& shape)
{
    return {shape.vertices.get(), shape.vertices.get() + shape.vertex_count};
}

bool same_bits(const std::vector<Tvector3>& p, const Tvector3* q)
{
    return std::memcmp(p.data(), q, p.size() * sizeof(Tvector3)) == 0;
}

} // namespace

TEST(SupershapeMesh, DefaultShape)
{
    Tsupershape shape;
    EXPECT_EQ(shape.vertex_count, 72);
    EXPECT_EQ(shape.triangle_count, 144);
    EXPECT_EQ(shape.n1, 0.3f);
    expect_near(shape.vertices[0], -0.034955f, 0.378891f, -0.034955f);
    expect_near(shape.normals[0], -0.091480f, 0.991596f, -0.091480f);
    expect_near(shape.vertices[71], 0.0f, -1.0f, 0.0f);
    EXPECT_NE(shape.vertices[71].x, 0.0f) << "cos of pi/2 in single precision is not zero";
}

TEST(SupershapeMesh, UnitExponentsGiveASphere)
{
    expect_near(Tsupershape(1.0f, 8, 8, 1, 1, 0, 2, 2, 2).vertices[0], -0.270598f, 0.923880f, -0.270598f);
    const Tsupershape shape(2.5f, 12, 20, 1, 1, 0, 2, 2, 2);
    for (const Tvector3& v : positions_of(shape))
        EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 2.5f, 1e-5f);
}

TEST(SupershapeMesh, SpecialGrids)
{
    // The last column repeats the first, one turn later.
    const Tsupershape wide(1.0f, 6, 10, 1, 1, 6, 0.7f, 1.3f, 0.9f);
    for (int row = 0; row < 6; ++row) {
        const Tvector3& first = wide.vertices[row * 11];
        expect_near(wide.vertices[row * 11 + 10], first.x, first.y, first.z, 1e-5f);
    }
    // One row lies at the pole below.
    for (const Tvector3& v : positions_of(Tsupershape(2.0f, 1, 8, 1, 1, 4, 0.3f, 1, 1)))
        expect_near(v, 0.0f, -2.0f, 0.0f, 1e-5f);
    // One band: two columns, half a turn and one and a half turns round.
    for (const Tvector3& v : positions_of(Tsupershape(1.0f, 3, 1, 1, 1, 0, 2, 2, 2))) {
        EXPECT_LT(v.x, 1e-6f);
        EXPECT_NEAR(v.z, 0.0f, 1e-6f);
    }
}

TEST(SupershapeMesh, ZeroADividesByZeroAndCollapsesWithoutFailing)
{
    const Tsupershape shape(1.0f, 8, 8, 0, 1, 4, 0.3f, 1, 1);
    for (int k = 0; k < shape.vertex_count; ++k) {
        expect_near(shape.vertices[k], 0, 0, 0, 0);
        EXPECT_TRUE(std::isnan(shape.normals[k].x)) << k;
    }
}

TEST(SupershapeMesh, ColourPatternRepeatsEverySixVertices)
{
    const Tsupershape shape;
    const float expected[7][3] = {{0, 0, 0}, {2, 3, 5}, {4, 0, 4}, {0, 3, 3}, {2, 0, 2}, {4, 3, 1}, {0, 0, 0}};
    for (int k = 0; k < 7; ++k) {
        const auto& c = shape.colors[k];
        EXPECT_TRUE(c.r == expected[k][0] && c.g == expected[k][1] && c.b == expected[k][2] && c.a == 1) << k;
    }
}

TEST(SupershapeTriangles, TwoRowsOfThreeBands)
{
    const std::vector<Ttriangle> expected = {{4, 3, 0}, {0, 1, 4}, {5, 4, 1}, {1, 2, 5}, {6, 5, 2}, {2, 3, 6},
                                             {7, 6, 3}, {3, 4, 7}, {7, 6, 3}, {3, 4, 7}, {0, 7, 4}, {4, 5, 0},
                                             {1, 0, 5}, {5, 6, 1}, {2, 1, 6}, {6, 7, 2}};
    EXPECT_EQ(triangles_of(Tsupershape(1.0f, 2, 3, 1, 1, 4, 0.3f, 1, 1)), expected);
}

TEST(SupershapeTriangles, DefaultListStartAndEnd)
{
    const std::vector<Ttriangle> list = triangles_of(Tsupershape());
    EXPECT_EQ(std::vector<Ttriangle>(list.begin(), list.begin() + 4),
              (std::vector<Ttriangle>{{9, 8, 0}, {0, 1, 9}, {10, 9, 1}, {1, 2, 10}}));
    EXPECT_EQ(std::vector<Ttriangle>(list.end() - 6, list.end()),
              (std::vector<Ttriangle>{{71, 70, 62}, {62, 63, 71}, {0, 71, 63}, {63, 64, 0}, {1, 0, 64}, {64, 65, 1}}));
}

TEST(SupershapeTriangles, EveryIndexIsAVertexForManyGrids)
{
    for (int slices : {1, 2, 7, 40})
        for (int bands : {1, 2, 5, 33}) {
            const Tsupershape shape(1.0f, slices, bands, 1, 1, 4, 0.3f, 1, 1);
            ASSERT_EQ(shape.triangle_count, 2 * slices * (bands + 1));
            for (const Ttriangle& t : triangles_of(shape))
                for (int index : {t.i0, t.i1, t.i2})
                    ASSERT_TRUE(index >= 0 && index < shape.vertex_count) << slices << "x" << bands;
        }
}

TEST(SupershapeTriangles, DegenerateGridsBuildEmptyOrTinyMeshes)
{
    for (auto [slices, bands] : {std::pair{0, 8}, {8, -1}, {-3, 8}, {8, -5}, {1, 0}, {5, 0}}) {
        Tsupershape shape(1.0f, slices, bands, 1, 1, 4, 0.3f, 1, 1);
        EXPECT_EQ(shape.vertex_count, slices * (bands + 1));
        shape.reset_shape(2.0f, slices, bands, 1, 1, 4, 0.3f, 1, 1);
        shape.scale(2, 2, 2);
        shape.swap_axis(1);
        shape.set_color(1, 1, 1, 1);
    }
}

// The evaluation must give, bit for bit, what the formula gives vertex by vertex.
TEST(SupershapeEvaluation, MatchesTheLiteralFormulaBitForBit)
{
    struct Case {
        float radius;
        int slices, bands;
        float a, b, m, n1, n2, n3;
    };
    const Case cases[] = {
        {1.0f, 8, 8, 1, 1, 4, 0.3f, 1, 1},
        {1.7f, 37, 53, 0.8f, 1.3f, 7, 0.25f, 1.7f, 3.1f},
        {-2.0f, 5, 9, 1, 1, 5, 1, 1, 1},
        {1.0f, 3, 2500, 1, 1, 6, 0.5f, 0.5f, 0.5f},  // wider than one strip of columns
        {1.0f, 4, 4, 0, 1, 4, 0.3f, 1, 1},
        {1.0f, 4, 4, 1, 1, 4, 0, 1, 1},
        {3.0f, 999, 4, -999, 999, -999, 0.001f, 999, -999},
    };
    for (const Case& c : cases) {
        const Tsupershape shape(c.radius, c.slices, c.bands, c.a, c.b, c.m, c.n1, c.n2, c.n3);
        const auto expected = test_support::literal_shape(shape);
        ASSERT_EQ(expected.positions.size(), static_cast<std::size_t>(shape.vertex_count));
        EXPECT_TRUE(same_bits(expected.positions, shape.vertices.get())) << c.slices << "x" << c.bands;
        EXPECT_TRUE(same_bits(expected.normals, shape.normals.get())) << c.slices << "x" << c.bands;
    }
}

TEST(SupershapeEdits, SwapsExchangeTwoCoordinatesAndScalingCompounds)
{
    Tsupershape shape(1.0f, 5, 7, 1, 1, 5, 0.4f, 1.2f, 1.5f);
    const std::vector<Tvector3> before = positions_of(shape);
    const std::vector<Tvector3> normals(shape.normals.get(), shape.normals.get() + shape.vertex_count);
    shape.swap_axis(0);
    shape.swap_axis(1);
    shape.swap_axis(2);
    // (x, y, z) -> (y, x, z) -> (z, x, y) -> (z, y, x)
    expect_near(shape.vertices[3], before[3].z, before[3].y, before[3].x, 0);
    shape.swap_axis(1);
    shape.swap_axis(3);
    shape.swap_axis(-1);
    EXPECT_TRUE(same_bits(before, shape.vertices.get()));

    shape.scale(2, 3, 0.5f);
    shape.scale(2, 1, 1);
    expect_near(shape.vertices[10], before[10].x * 4, before[10].y * 3, before[10].z * 0.5f, 0);
    EXPECT_TRUE(same_bits(normals, shape.normals.get()));
}

TEST(SupershapeEdits, ResetShapeReevaluatesButKeepsTheGrid)
{
    Tsupershape shape;
    shape.swap_axis(0);
    shape.scale(3, 3, 3);
    shape.reset_shape(2.0f, 20, 30, 1, 1, 6, 0.5f, 1, 1);
    EXPECT_EQ(shape.slices, 8);
    EXPECT_EQ(shape.vertex_count, 72);
    EXPECT_EQ(shape.triangle_count, 144);
    EXPECT_TRUE(same_bits(positions_of(Tsupershape(2.0f, 8, 8, 1, 1, 6, 0.5f, 1, 1)), shape.vertices.get()));
}

TEST(SupershapeEdits, ReloadRebuildsTheGridAndTheColourPattern)
{
    Tsupershape shape;
    shape.set_color(0.25f, 0.5f, 0.75f, 0.125f);
    EXPECT_EQ(shape.colors[71].b, 0.75f);
    shape.reload(1.5f, 3, 4, 1, 1, 4, 0.3f, 1, 1);
    EXPECT_EQ(shape.vertex_count, 15);
    EXPECT_EQ(shape.triangle_count, 30);
    EXPECT_EQ(shape.colors[1].g, 3.0f);
    EXPECT_TRUE(same_bits(test_support::literal_shape(shape).positions, shape.vertices.get()));
    shape.model_destroy();
    shape.model_destroy();
    EXPECT_FALSE(shape.vertex_count || shape.triangle_count || shape.vertices || shape.colors || shape.triangles);
}

TEST(SupershapeStorage, AGridTooLargeOrAFailedAllocationIsOutOfMemoryAndLeavesAnEmptyShape)
{
    const auto out_of_memory = [](const std::function<void()>& build) {
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
