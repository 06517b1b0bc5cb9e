// The supershape's mesh against the formula vertex by vertex, its triangle list, edits and storage.
#include "runtime/fatal_error.h"
#include "shape/Tsupershape.h"
#include "tests/support/reference_mesh.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using Nsupershape::Tsupershape;
using Nsupershape::Tvector3;
using test_support::first_difference;

namespace {

std::tuple<float, float, float> xyz(const Tvector3& v) { return {v.x, v.y, v.z}; }

// Where the shape's positions or normals first differ from the formula's, vertex by vertex; -1 when none does.
std::pair<long long, long long> off_formula(const Tsupershape& shape)
{
    const auto [positions, normals] = test_support::literal_shape(shape);
    EXPECT_EQ(positions.size(), std::size_t(shape.vertex_count));
    return {first_difference(positions.data(), shape.vertices.get(), positions.size()),
            first_difference(normals.data(), shape.normals.get(), normals.size())};
}

} // namespace

TEST(SupershapeMesh, TheDefaultIsTheEightByEightShapeInTheColourPattern)
{
    const Tsupershape defaults;
    EXPECT_EQ(std::pair(defaults.vertex_count, defaults.triangle_count), std::pair(72, 144));
    for (int k = 0; k < defaults.vertex_count; ++k) {
        const auto& c = defaults.colors[k];
        EXPECT_EQ(std::tuple(c.r, c.g, c.b, c.a), std::tuple(2 * k % 6, 3 * k % 6, 5 * k % 6, 1)) << k;
    }
}

// Positions and normals are, bit for bit, what the formula gives vertex by vertex.
TEST(SupershapeMesh, PositionsAndNormalsAreTheFormulasOneSetOrTwo)
{
    // Radius, slices, bands, a, b, m, n1, n2, n3: shapes, a sphere; one row, at the pole below; two columns; wider
    // than a strip of columns; a = 0: all at the origin, NaN normals; n1 = 0: infinite radii, normals (0, 0, 1).
    constexpr float shapes[][9] = {{1.0f, 8, 8, 1, 1, 4, 0.3f, 1, 1},
                                   {2.5f, 12, 20, 1, 1, 0, 2, 2, 2},
                                   {1.7f, 37, 53, 0.8f, 1.3f, 7, 0.25f, 1.7f, 3.1f},
                                   {-2.0f, 5, 9, 1, 1, 5, 1, 1, 1},
                                   {2.0f, 1, 8, 1, 1, 4, 0.3f, 1, 1},
                                   {1.0f, 3, 1, 1, 1, 0, 2, 2, 2},
                                   {1.0f, 3, 2500, 1, 1, 6, 0.5f, 0.5f, 0.5f},
                                   {1.0f, 4, 4, 0, 1, 4, 0.3f, 1, 1},
                                   {1.0f, 8, 8, 1, 1, 4, 0, 2, 2},
                                   {1.0f, 4, 4, 1, 1, 4, 0, 1, 1},
                                   {3.0f, 999, 4, -999, 999, -999, 0.001f, 999, -999}};
    Tsupershape two;
    for (std::size_t i = 0; i < std::size(shapes); ++i) {
        const auto& c = shapes[i];
        const Tsupershape shape(c[0], int(c[1]), int(c[2]), c[3], c[4], c[5], c[6], c[7], c[8]);
        EXPECT_EQ(off_formula(shape), std::pair(-1LL, -1LL)) << c[1] << "x" << c[2];
        // Two sets: each shape's columns with the next one's rows.
        const auto& d = shapes[(i + 1) % std::size(shapes)];
        two.reload({{c[3], c[4], c[5], c[6], c[7], c[8]}, {d[3], d[4], d[5], d[6], d[7], d[8]}, c[0]}, int(c[1]),
                   int(c[2]));
        EXPECT_EQ(off_formula(two), std::pair(-1LL, -1LL)) << i;
        // Twisted, then a ring (whose twist is none), as a snippet's calls make them.
        two.set_twist(i % 2 ? 90.0f : -37.5f);
        EXPECT_EQ(off_formula(two), std::pair(-1LL, -1LL)) << i << " twisted";
        two.set_torus(0.5f + float(i));
        EXPECT_EQ(off_formula(two), std::pair(-1LL, -1LL)) << i << " a ring";
    }
}

// The row stride is `bands`, not the grid's `bands` + 1, and indices wrap.
TEST(SupershapeMesh, TheTriangleListStridesBandsAndWraps)
{
    const Tsupershape small(1.0f, 2, 3, 1, 1, 4, 0.3f, 1, 1);
    const std::int32_t* first = &small.triangles[0].i0;
    EXPECT_EQ(std::vector<int>(first, first + 3 * small.triangle_count),
              (std::vector<int>{4, 3, 0, 0, 1, 4, 5, 4, 1, 1, 2, 5, 6, 5, 2, 2, 3, 6, 7, 6, 3, 3, 4, 7,
                                7, 6, 3, 3, 4, 7, 0, 7, 4, 4, 5, 0, 1, 0, 5, 5, 6, 1, 2, 1, 6, 6, 7, 2}));
}

// The grid's fill writes whole rows and the list whole pairs, no more than the buffer holds.
TEST(Grid, FillsStopShortOfABufferTooSmall)
{
    const Tsupershape shape(1.7f, 37, 53, 0.8f, 1.3f, 7, 0.25f, 1.7f, 3.1f);
    const std::size_t vertices = 37 * 54, kept = 36 * 54;
    std::vector<Tvector3> positions(vertices, {7, 7, 7});
    Nsupershape::evaluate_grid(shape.formula(), 37, 53, vertices - 1, positions.data(), nullptr);
    EXPECT_EQ(first_difference(positions.data(), shape.vertices.get(), kept), -1);
    EXPECT_EQ(xyz(positions[kept]), std::tuple(7.0f, 7.0f, 7.0f));
    std::vector<Nsupershape::Ttriangle> list(2 * vertices, {-1, -1, -1});
    Nsupershape::tesselate_grid(37, 53, vertices, list.data(), list.size() - 1);
    EXPECT_EQ(first_difference(list.data(), shape.triangles.get(), list.size() - 2), -1);
    EXPECT_EQ(list[list.size() - 2].i0, -1);
}

TEST(SupershapeEdits, SwapsUndoThemselvesAndScalesCompoundLeavingTheNormals)
{
    Tsupershape shape(1.0f, 5, 7, 1, 1, 5, 0.4f, 1.2f, 1.5f);
    const auto [before, normals] = test_support::literal_shape(shape);
    const int last = shape.vertex_count - 1;
    shape.swap_axis(0);
    EXPECT_EQ(xyz(shape.vertices[last]), std::tuple(before[last].y, before[last].x, before[last].z));
    for (int axis : {1, 2, 1, 3, -1}) // x and z, y and z, x and z again: unswapped; then nothing
        shape.swap_axis(axis);
    EXPECT_EQ(first_difference(before.data(), shape.vertices.get(), before.size()), -1);
    shape.scale(2, 3, 0.5f);
    shape.scale(2, 1, 1);
    EXPECT_EQ(xyz(shape.vertices[last]), std::tuple(before[last].x * 4, before[last].y * 3, before[last].z * 0.5f));
    EXPECT_EQ(first_difference(normals.data(), shape.normals.get(), normals.size()), -1);
}

TEST(SupershapeEdits, ResetShapeReEvaluatesOnTheGridHeld)
{
    Tsupershape shape(1.0f, 5, 7, 1, 1, 5, 0.4f, 1.2f, 1.5f);
    shape.scale(2, 2, 2);
    shape.reset_shape(2.0f, 20, 30, 1, 1, 6, 0.5f, 1, 1);
    EXPECT_EQ(std::tuple(shape.slices, shape.vertex_count, shape.triangle_count), std::tuple(5, 40, 80));
    EXPECT_EQ(off_formula(shape), std::pair(-1LL, -1LL));
}

// A two-set snippet's call: its fifteen values go to the named members in order, and so do reset_shape2's.
TEST(SupershapeEdits, TheValueListsNameTheParametersInOrder)
{
    const auto named = [](const Tsupershape& s) {
        return std::vector<float>{s.radius, s.a, s.b, s.m, s.n1, s.n2, s.n3, s.a2, s.b2, s.m2, s.n1_2, s.n2_2, s.n3_2};
    };
    Tsupershape shape;
    shape.reload2(1.5f, 3, 4, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
    EXPECT_EQ(named(shape), (std::vector<float>{1.5f, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(std::pair(shape.slices, shape.bands), std::pair(3, 4));
    shape.reset_shape2(2.5f, 0, 0, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);
    EXPECT_EQ(named(shape), (std::vector<float>{2.5f, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
}

// Edits on empty and negative grids touch nothing (checked by ASan), and destroying twice is harmless.
TEST(SupershapeEdits, EmptyGridsTakeEveryEdit)
{
    for (auto [slices, bands] : {std::pair{0, 8}, {8, -1}, {-3, 8}, {8, -5}, {1, 0}, {5, 0}}) {
        Tsupershape empty(1.0f, slices, bands, 1, 1, 4, 0.3f, 1, 1);
        EXPECT_EQ(empty.vertex_count, slices * (bands + 1));
        empty.reset_shape(2.0f, slices, bands, 1, 1, 4, 0.3f, 1, 1);
        empty.scale(2, 2, 2);
        empty.swap_axis(1);
        empty.set_color(1, 1, 1, 1);
        empty.model_destroy();
        empty.model_destroy();
        EXPECT_EQ(std::pair(empty.vertex_count, empty.triangle_count), std::pair(0, 0));
    }
}

// A grid too large, or a refused allocation, is out of memory and leaves an empty shape.
TEST(SupershapeStorage, OutOfMemoryLeavesAnEmptyShape)
{
    Tsupershape shape;
    try {
        shape.reload(1.0f, 46000, 46000, 1, 1, 4, 0.3f, 1, 1);
        ADD_FAILURE() << "no failure";
    } catch (const runtime::Failure& f) {
        EXPECT_EQ(f.error, runtime::out_of_memory);
        EXPECT_STREQ(f.site.routine, "model_init");
    }
    EXPECT_EQ(shape.vertex_count, 0);
    EXPECT_EQ(shape.vertices, nullptr);
}
