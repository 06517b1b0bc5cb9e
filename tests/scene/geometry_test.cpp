// The framing's degenerate cases and the smooth normals, on meshes whose answers are known by symmetry.
#include "scene/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(Framing, OnlyFinitePositionsCountDegenerateSetsKeepZoomOneAndNormalsFollowTheWinding)
{
    const float box[] = {-1, -2, -3, NAN, 0, 0, 3, 2, 1, INFINITY, INFINITY, INFINITY};
    const scene::Framing framed = scene::fit_to_view(box, 4, 640, 480);
    EXPECT_EQ(std::vector<float>(framed.centre, framed.centre + 3), (std::vector<float>{1, 0, -1}));
    // A wider view fits the same sphere by its height alone.
    EXPECT_FLOAT_EQ(scene::fit_to_view(box, 4, 1280, 480).zoom, framed.zoom);
    EXPECT_LT(scene::fit_to_view(box, 4, 480, 640).zoom, framed.zoom);

    const float point[] = {2, 3, 4, 2, 3, 4, NAN, NAN, NAN};
    const scene::Framing single = scene::fit_to_view(point, 3, 640, 480), none = scene::fit_to_view(point + 6, 1, 640, 480);
    EXPECT_TRUE(single.zoom == 1 && single.centre[2] == 4 && none.zoom == 1 && none.centre[0] == 0);

    // An octahedron's corners lie on the axes: each normal is its corner's direction, reversed with the winding.
    const std::vector<float> corners = {1, 0, 0, -1, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 1, 0, 0, -1};
    std::vector<std::int32_t> faces = {0, 2, 4, 2, 1, 4, 1, 3, 4, 3, 0, 4, 2, 0, 5, 1, 2, 5, 3, 1, 5, 0, 3, 5};
    std::vector<float> normals(corners.size(), NAN);
    for (const float sign : {1, -1}) {
        ASSERT_TRUE(scene::vertex_normals(corners.data(), 6, faces.data(), 8, normals.data()));
        for (std::size_t i = 0; i < normals.size(); ++i)
            EXPECT_NEAR(normals[i], sign * corners[i], 1e-6f) << i;
        for (std::size_t t = 0; t < faces.size(); t += 3)
            std::swap(faces[t + 1], faces[t + 2]);
    }
    // A triangle without area leaves its corners without a normal.
    const std::int32_t flat[] = {0, 1, 1};
    ASSERT_TRUE(scene::vertex_normals(corners.data(), 6, flat, 1, normals.data()));
    EXPECT_EQ(normals, std::vector<float>(normals.size(), 0.0f));
    for (const std::int32_t bad : {-1, 6}) {
        faces[13] = bad;
        std::vector<float> untouched(corners.size(), 7.0f);
        EXPECT_FALSE(scene::vertex_normals(corners.data(), 6, faces.data(), 8, untouched.data()));
        EXPECT_EQ(untouched, std::vector<float>(untouched.size(), 7.0f));
    }
}
