// Smooth normals on a mesh whose answer is known by symmetry, and the refusal of an index out of range.
#include "shape/mesh_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

using Nsupershape::Ttriangle;
using Nsupershape::Tvector3;

TEST(MeshView, SmoothNormalsFollowTheWindingAndIgnoreFlatTriangles)
{
    // An octahedron's corners lie on the axes: each normal is its corner's direction, reversed with the winding.
    std::vector<Tvector3> corners = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    std::vector<Ttriangle> faces = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                                    {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
    const auto mesh = [&](const std::vector<Ttriangle>& triangles) {
        return Nsupershape::Mesh_view{corners.data(), corners.size(), triangles.data(), triangles.size()};
    };
    std::vector<Tvector3> normals(corners.size(), {NAN, NAN, NAN});
    for (const float sign : {1, -1}) {
        ASSERT_TRUE(Nsupershape::vertex_normals(mesh(faces), normals.data()));
        for (std::size_t i = 0; i < normals.size(); ++i)
            EXPECT_EQ(std::tuple(normals[i].x, normals[i].y, normals[i].z),
                      std::tuple(sign * corners[i].x, sign * corners[i].y, sign * corners[i].z))
                << i;
        for (Ttriangle& face : faces)
            std::swap(face.i1, face.i2);
    }
    // The same at any size a float holds: a float's products underflow below 1e-19 and overflow above 1e19.
    const std::vector<Tvector3> unit = corners;
    for (const float size : {1e-22f, 1e-21f, 1e20f, 1e30f}) {
        std::transform(unit.begin(), unit.end(), corners.begin(), [size](const Tvector3& p) {
            return Tvector3{p.x * size, p.y * size, p.z * size};
        });
        ASSERT_TRUE(Nsupershape::vertex_normals(mesh(faces), normals.data()));
        for (std::size_t i = 0; i < normals.size(); ++i)
            EXPECT_NEAR(normals[i].x + normals[i].y + normals[i].z, unit[i].x + unit[i].y + unit[i].z, 1e-6f)
                << size << " " << i;
    }
    // A triangle without area leaves its corners without a normal.
    ASSERT_TRUE(Nsupershape::vertex_normals(mesh({{0, 1, 1}}), normals.data()));
    for (const Tvector3& n : normals)
        EXPECT_EQ(std::tuple(n.x, n.y, n.z), std::tuple(0.0f, 0.0f, 0.0f));
    for (const std::int32_t bad : {-1, 6}) {
        faces[4].i1 = bad;
        std::vector<Tvector3> untouched(corners.size(), {7, 7, 7});
        EXPECT_FALSE(Nsupershape::vertex_normals(mesh(faces), untouched.data()));
        EXPECT_EQ(untouched[0].x, 7.0f);
    }
}
