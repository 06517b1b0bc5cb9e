// What `shapetool info` reports about a mesh: counts, bounding box, whether
// it is closed, its surface area and its signed volume.
#pragma once

#include "mesh/triangle_mesh.h"

namespace mesh {

struct Box {
    Tvector3 min{0, 0, 0};
    Tvector3 max{0, 0, 0};
};

// Area and signed volume, accumulated in double. The volume is positive
// when a closed surface's triangles turn counter-clockwise seen from outside.
struct Surface_integrals {
    double area = 0;
    double volume = 0;
};

struct Mesh_statistics {
    std::size_t vertex_count = 0;
    std::size_t triangle_count = 0;
    Box box;
    // Every undirected edge lies in exactly two triangles, which run along it
    // in opposite directions; no triangle repeats a corner. False for a mesh
    // without triangles.
    bool closed = false;
    Surface_integrals integrals;
};

// The smallest box holding every position of `mesh`; all zero when it has
// none. Positions that are not numbers are skipped.
Box bounding_box(const Mesh_view& mesh);

Surface_integrals surface_integrals(const Mesh_view& mesh);

// Mesh_statistics::closed. Uses memory for three indices per triangle.
bool is_closed(const Mesh_view& mesh);

// Everything above. Uses memory for three indices per triangle.
Mesh_statistics measure(const Mesh_view& mesh);

} // namespace mesh
