// The framing's degenerate cases and the smooth normals, on meshes whose answers are known by symmetry.
#include "scene/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using Nsupershape::Ttriangle;
using Nsupershape::Tvector3;

TEST(Framing, OnlyFinitePositionsCountDegenerateSetsKeepZoomOneAndNormalsFollowTheWinding)
{
    const Tvector3 box[] = {{-1, -2, -3}, {NAN, 0, 0}, {3, 2, 1}, {INFINITY, INFINITY, INFINITY}};
    const scene::Framing framed = scene::fit_to_view(box, 4, 640, 480);
    EXPECT_EQ(std::vector<float>(framed.centre, framed.centre + 3), (std::vector<float>{1, 0, -1}));
    // A wider view fits the same sphere by its height alone.
    EXPECT_FLOAT_EQ(scene::fit_to_view(box, 4, 1280, 480).zoom, framed.zoom);
    EXPECT_LT(scene::fit_to_view(box, 4, 480, 640).zoom, framed.zoom);

    const Tvector3 point[] = {{2, 3, 4}, {2, 3, 4}, {NAN, NAN, NAN}};
    const scene::Framing single = scene::fit_to_view(point, 3, 640, 480), none = scene::fit_to_view(point + 2, 1, 640, 480);
    EXPECT_TRUE(single.zoom == 1 && single.centre[2] == 4 && none.zoom == 1 && none.centre[0] == 0);

    // An octahedron's corners lie on the axes: each normal is its corner's direction, reversed with the winding.
    const std::vector<Tvector3> corners = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    std::vector<Ttriangle> faces = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4}, {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
    const auto mesh = [&](const std::vector<Ttriangle>& triangles) {
        return scene::Mesh_view{corners.data(), corners.size(), triangles.data(), triangles.size()};
    };
    std::vector<Tvector3> normals(corners.size(), {NAN, NAN, NAN});
    for (const float sign : {1, -1}) {
        ASSERT_TRUE(scene::vertex_normals(mesh(faces), normals.data()));
        for (std::size_t i = 0; i < normals.size(); ++i)
            EXPECT_TRUE(std::fabs(normals[i].x - sign * corners[i].x) < 1e-6f && std::fabs(normals[i].y - sign * corners[i].y) < 1e-6f &&
                        std::fabs(normals[i].z - sign * corners[i].z) < 1e-6f) << i;
        for (Ttriangle& face : faces)
            std::swap(face.i1, face.i2);
    }
    // A triangle without area leaves its corners without a normal.
    ASSERT_TRUE(scene::vertex_normals(mesh({{0, 1, 1}}), normals.data()));
    for (const Tvector3& n : normals)
        EXPECT_TRUE(n.x == 0 && n.y == 0 && n.z == 0);
    for (const std::int32_t bad : {-1, 6}) {
        faces[4].i1 = bad;
        std::vector<Tvector3> untouched(corners.size(), {7, 7, 7});
        EXPECT_FALSE(scene::vertex_normals(mesh(faces), untouched.data()));
        EXPECT_EQ(untouched[0].x, 7.0f);
    }
}
