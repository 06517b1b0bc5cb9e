// A triangle budget: the closed mesh made coarser by collapsing edges where
// the surface is flattest, and how far the result strays from the full mesh.
#pragma once

#include "mesh/placement.h"

#include <cstddef>

namespace mesh {

// Fewer triangles than this make a crude shape of any supershape, and a
// budget that small is more likely a slip than a wish.
constexpr std::size_t least_triangles = 100;

struct Simplified {
    // The count before.
    std::size_t full_triangle_count = 0;
    // The largest distance from a vertex of the full mesh to the simplified
    // surface, in the mesh's units (see simplify.cpp).
    double deviation = 0;
};

// Makes closed, consistently oriented `mesh` at most `target` triangles
// (least_triangles or more) by collapsing edges, each onto one of its
// vertices, the cheapest by the quadric error first (in passes, see
// simplify.cpp). A collapse that would
// pinch the surface (the link condition) or turn a triangle over is not
// made, so the mesh stays closed, manifold and oriented as it was. Vertices
// at the lowest height along `up` (a base's cap) collapse only onto each
// other, so that they stay in their plane. A mesh already within `target`
// is left as it is. Refuses a mesh it cannot bring within `target` without
// breaking it, leaving it as it was. Throws std::bad_alloc when memory runs
// out.
Status simplify(Triangle_mesh& mesh, std::size_t target, Up up, Simplified& result);

// The largest distance from a vertex of `full` to the surface of `coarse`,
// by a grid of its triangles.
double deviation(const Mesh_view& full, const Mesh_view& coarse);

} // namespace mesh
