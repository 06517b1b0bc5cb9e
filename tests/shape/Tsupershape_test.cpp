// The supershape's mesh against the formula vertex by vertex, its triangle list, edits and storage.
#include "runtime/fatal_error.h"
#include "shape/Tsupershape.h"
#include "tests/support/reference_mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <utility>

using Nsupershape::Tsupershape;
using Nsupershape::Tvector3;

static_assert(!std::is_copy_constructible_v<Tsupershape> && !std::is_copy_assignable_v<Tsupershape>,
              "a supershape owns its arrays and GL list and must not be copied");

static bool same_bits(const std::vector<Tvector3>& p, const Tvector3* q)
{
    return !std::memcmp(p.data(), q, p.size() * 12);
}

static bool near(const Tvector3& v, float x, float y, float z, float tolerance = 0)
{
    return std::abs(v.x - x) <= tolerance && std::abs(v.y - y) <= tolerance && std::abs(v.z - z) <= tolerance;
}

// Positions and normals are, bit for bit, what the formula gives vertex by vertex.
TEST(SupershapeMesh, DefaultsGridsTriangleListAndCallerBuffersOfTheSizeAskedOrShortOfARow)
{
    const Tsupershape defaults;
    EXPECT_EQ(std::pair(defaults.vertex_count, defaults.triangle_count), std::pair(72, 144));
    EXPECT_TRUE(near(defaults.vertices[0], -0.034955f, 0.378891f, -0.034955f, 1e-6f));
    EXPECT_TRUE(near(defaults.normals[0], -0.091480f, 0.991596f, -0.091480f, 1e-6f));
    for (int k = 0; k < defaults.vertex_count; ++k) {
        const auto& c = defaults.colors[k];
        EXPECT_TRUE(c.r == 2 * k % 6 && c.g == 3 * k % 6 && c.b == 5 * k % 6 && c.a == 1) << k;
    }
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
    for (const auto& c : shapes) {
        const Tsupershape shape(c[0], int(c[1]), int(c[2]), c[3], c[4], c[5], c[6], c[7], c[8]);
        const auto [positions, normals] = test_support::literal_shape(shape);
        EXPECT_TRUE(positions.size() == std::size_t(shape.vertex_count) && same_bits(positions, shape.vertices.get()) &&
                    same_bits(normals, shape.normals.get()))
            << c[1] << "x" << c[2];
    }
    // Two sets: each shape's columns with the next one's rows.
    Tsupershape two;
    for (std::size_t i = 0; i + 1 < std::size(shapes); ++i) {
        const auto &c = shapes[i], &d = shapes[i + 1];
        two.reload2(c[0], int(c[1]), int(c[2]), c[3], c[4], c[5], c[6], c[7], c[8], d[3], d[4], d[5], d[6], d[7], d[8]);
        const auto [positions, normals] = test_support::literal_shape(two);
        EXPECT_TRUE(same_bits(positions, two.vertices.get()) && same_bits(normals, two.normals.get())) << i;
    }
    // The row stride is `bands`, not the grid's `bands` + 1, and indices wrap.
    const Tsupershape small(1.0f, 2, 3, 1, 1, 4, 0.3f, 1, 1);
    const std::int32_t* first = &small.triangles[0].i0;
    EXPECT_EQ(std::vector<int>(first, first + 3 * small.triangle_count),
              (std::vector<int>{4, 3, 0, 0, 1, 4, 5, 4, 1, 1, 2, 5, 6, 5, 2, 2, 3, 6, 7, 6, 3, 3, 4, 7,
                                7, 6, 3, 3, 4, 7, 0, 7, 4, 4, 5, 0, 1, 0, 5, 5, 6, 1, 2, 1, 6, 6, 7, 2}));

    // The grid's size comes first; its fill writes exactly that much, and no more into a buffer short of a row.
    EXPECT_TRUE(Nsupershape::grid_size(2, 3).vertex_count == 8 && Nsupershape::grid_size(2, 3).triangle_count == 16);
    EXPECT_TRUE(Nsupershape::grid_size(0, 8).vertex_count == 0 && Nsupershape::grid_size(8, -1).triangle_count == 0);
    const Tsupershape shape(1.7f, 37, 53, 0.8f, 1.3f, 7, 0.25f, 1.7f, 3.1f);
    const Nsupershape::Superformula set{0.8f, 1.3f, 7, 0.25f, 1.7f, 3.1f};
    const Nsupershape::Formula formula{set, set, 1.7f};
    const std::size_t vertices = Nsupershape::grid_size(37, 53).vertex_count, triangles = 2 * vertices;
    std::vector<Tvector3> positions(vertices - 1, {7, 7, 7});
    Nsupershape::evaluate_grid(formula, 37, 53, positions.size(), positions.data(), nullptr);
    positions.push_back({7, 7, 7});
    const std::size_t kept = 36 * 54;
    EXPECT_EQ(0, std::memcmp(positions.data(), test_support::literal_shape(shape).positions.data(), kept * 12));
    EXPECT_TRUE(std::all_of(positions.begin() + kept, positions.end(), [](const Tvector3& p) { return p.x == 7; }));
    std::vector<Nsupershape::Ttriangle> list(triangles - 1, {-1, -1, -1});
    Nsupershape::tesselate_grid(37, 53, vertices, list.data(), list.size());
    EXPECT_EQ(0, std::memcmp(list.data(), shape.triangles.get(), (triangles - 2) * 12)) << "whole pairs only";
    EXPECT_EQ(list.back().i0, -1);
}

TEST(SupershapeEdits, SwapScaleResetSetColorReloadAndEmptyGrids)
{
    Tsupershape shape(1.0f, 5, 7, 1, 1, 5, 0.4f, 1.2f, 1.5f);
    const auto [before, normals] = test_support::literal_shape(shape);
    for (int axis : {0, 1, 2, 1, 3, -1}) // x and y, x and z, y and z, x and z again, then nothing: unswapped
        shape.swap_axis(axis);
    EXPECT_TRUE(same_bits(before, shape.vertices.get()));
    shape.scale(2, 3, 0.5f);
    shape.scale(2, 1, 1);
    const int last = shape.vertex_count - 1;
    EXPECT_TRUE(near(shape.vertices[last], before[last].x * 4, before[last].y * 3, before[last].z * 0.5f));
    EXPECT_TRUE(same_bits(normals, shape.normals.get()));

    // A new evaluation on the old grid, which discards the edits.
    shape.reset_shape(2.0f, 20, 30, 1, 1, 6, 0.5f, 1, 1);
    EXPECT_EQ((std::vector<int>{shape.slices, shape.vertex_count, shape.triangle_count}),
              (std::vector<int>{5, 40, 80}));
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
    // Edits on empty and negative grids touch nothing.
    for (auto [slices, bands] : {std::pair{0, 8}, {8, -1}, {-3, 8}, {8, -5}, {1, 0}, {5, 0}}) {
        Tsupershape empty(1.0f, slices, bands, 1, 1, 4, 0.3f, 1, 1);
        EXPECT_EQ(empty.vertex_count, slices * (bands + 1));
        empty.reset_shape(2.0f, slices, bands, 1, 1, 4, 0.3f, 1, 1);
        empty.scale(2, 2, 2);
        empty.swap_axis(1);
        empty.set_color(1, 1, 1, 1);
    }
}

// A grid too large, or a refused allocation, is out of memory and leaves an empty shape.
TEST(SupershapeStorage, OutOfMemory)
{
    const auto out_of_memory = [](auto build) {
        try {
            return build(), false;
        } catch (const runtime::Failure& f) {
            return f.error == runtime::out_of_memory && f.site.routine == std::string("model_init");
        }
    };
    Tsupershape shape;
    EXPECT_TRUE(out_of_memory([&] { shape.reload(1.0f, 46000, 46000, 1, 1, 4, 0.3f, 1, 1); }));
    EXPECT_TRUE(shape.vertex_count == 0 && !shape.vertices && !shape.triangles);
}
