// The elements every mesh of the program is made of, and a read-only view of
// a triangle mesh held elsewhere: what the statistics, the writers, the scene
// and the off-screen pictures take, for the editor's grid and the closed
// mesh alike.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Nsupershape {

// Packed runs of 32-bit values: an element's address goes straight to GL.
struct Tvector3 {
    float x, y, z;
};

struct Ttriangle {
    std::int32_t i0, i1, i2;
};

struct Tcolor {
    float r, g, b, a;
};

// A vector in the precision a computation needs.
template <class Real>
struct Vector3 {
    Real x, y, z;
};

static_assert(sizeof(Tvector3) == 12 && sizeof(Ttriangle) == 12 && sizeof(Tcolor) == 16,
              "mesh elements must be packed");

// How many vertices and triangles a mesh has, or needs.
struct Mesh_size {
    std::size_t vertex_count = 0;
    std::size_t triangle_count = 0;
};

// `vertex_count` positions and `triangle_count` index triples. Whoever makes
// a view says whether every index lies in [0, vertex_count); the arrays must
// outlive the view.
struct Mesh_view {
    const Tvector3* positions = nullptr;
    std::size_t vertex_count = 0;
    const Ttriangle* triangles = nullptr;
    std::size_t triangle_count = 0;
};

// (q - p) x (r - p), worked out in `Real`: the normal of the triangle p, q, r
// on the side from which its corners turn counter-clockwise, twice as long
// as the triangle's area. `Point` has members x, y and z.
template <class Real = double, class Point>
Vector3<Real> area_normal(const Point& p, const Point& q, const Point& r)
{
    const Real ux = Real(q.x) - Real(p.x), uy = Real(q.y) - Real(p.y), uz = Real(q.z) - Real(p.z);
    const Real vx = Real(r.x) - Real(p.x), vy = Real(r.y) - Real(p.y), vz = Real(r.z) - Real(p.z);
    return {uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
}

// Whether every index of `mesh` names one of its vertices.
bool indices_in_range(const Mesh_view& mesh);

// Smooth normals of a mesh whose triangles turn counter-clockwise seen from
// the side the normals face: each vertex's is the sum of its triangles'
// area-weighted normals made unit length, or (0, 0, 0) when those triangles
// have no area. The same at any size: a shape scaled by 1e-22 or 1e20 gets
// the normals it has at 1. `normals` holds one for each vertex;
// `face_normals`, unless null, gets each triangle's area-weighted normal as
// summed (zero when not finite). Returns false, writing nothing, when an
// index lies outside the vertices.
bool vertex_normals(const Mesh_view& mesh, Tvector3* normals, Tvector3* face_normals = nullptr);

} // namespace Nsupershape
