// The framing's degenerate cases and the smooth normals, on meshes whose
// answers are known by symmetry.
#include "scene/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr float infinity = std::numeric_limits<float>::infinity();
constexpr float not_a_number = std::numeric_limits<float>::quiet_NaN();

// The octahedron's corners lie on the axes, so each corner's smooth normal is
// its own direction.
const std::vector<float> octahedron = {1, 0, 0, -1, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 1, 0, 0, -1};
// Counter-clockwise from outside.
const std::vector<std::int32_t> octahedron_faces = {0, 2, 4, 2, 1, 4, 1, 3, 4, 3, 0, 4,
                                                    2, 0, 5, 1, 2, 5, 3, 1, 5, 0, 3, 5};

} // namespace

TEST(Framing, OnlyFinitePositionsCountAndDegenerateSetsKeepZoomOne)
{
    const std::vector<float> box = {-1, -2, -3, not_a_number, 0, 0, 3, 2, 1, infinity, infinity, infinity};
    const scene::Framing framed = scene::fit_to_view(box.data(), 4, 640, 480);
    EXPECT_FLOAT_EQ(framed.centre[0], 1.0f);
    EXPECT_FLOAT_EQ(framed.centre[1], 0.0f);
    EXPECT_FLOAT_EQ(framed.centre[2], -1.0f);
    // A wider view fits the same sphere by its height alone.
    EXPECT_FLOAT_EQ(scene::fit_to_view(box.data(), 4, 1280, 480).zoom, framed.zoom);
    EXPECT_LT(scene::fit_to_view(box.data(), 4, 480, 640).zoom, framed.zoom);

    const std::vector<float> point = {2, 3, 4, 2, 3, 4, not_a_number, not_a_number, not_a_number};
    const scene::Framing single = scene::fit_to_view(point.data(), 3, 640, 480);
    EXPECT_EQ(single.zoom, 1.0f);
    EXPECT_EQ(single.centre[2], 4.0f);
    const scene::Framing none = scene::fit_to_view(point.data() + 6, 1, 640, 480);
    EXPECT_EQ(none.zoom, 1.0f);
    EXPECT_EQ(none.centre[0], 0.0f);
}

TEST(Normals, FollowTheWindingAndRefuseIndicesOutsideTheVertices)
{
    for (const bool reversed : {false, true}) {
        std::vector<std::int32_t> faces = octahedron_faces;
        if (reversed)
            for (std::size_t t = 0; t < faces.size(); t += 3)
                std::swap(faces[t + 1], faces[t + 2]);
        std::vector<float> normals(octahedron.size(), not_a_number);
        ASSERT_TRUE(scene::vertex_normals(octahedron.data(), 6, faces.data(), 8, normals.data()));
        for (std::size_t i = 0; i < normals.size(); ++i)
            EXPECT_NEAR(normals[i], reversed ? -octahedron[i] : octahedron[i], 1e-6f) << i;
    }

    // A triangle without area leaves its corners without a normal.
    const std::int32_t flat[] = {0, 1, 1};
    std::vector<float> normals(octahedron.size(), not_a_number);
    ASSERT_TRUE(scene::vertex_normals(octahedron.data(), 6, flat, 1, normals.data()));
    EXPECT_EQ(normals, std::vector<float>(normals.size(), 0.0f));

    for (const std::int32_t bad : {-1, 6}) {
        std::vector<std::int32_t> faces = octahedron_faces;
        faces[13] = bad;
        std::vector<float> untouched(octahedron.size(), 7.0f);
        EXPECT_FALSE(scene::vertex_normals(octahedron.data(), 6, faces.data(), 8, untouched.data()));
        EXPECT_EQ(untouched, std::vector<float>(untouched.size(), 7.0f));
    }
}
