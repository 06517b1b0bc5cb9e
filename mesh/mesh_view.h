// A read-only view of a triangle mesh held elsewhere: what the statistics and
// the writers take, for the closed mesh and the editor's raw grid alike.
#pragma once

#include "shape/Tsupershape.h"

#include <cstddef>

namespace mesh {

using Nsupershape::Ttriangle;
using Nsupershape::Tvector3;

// `vertex_count` positions and `triangle_count` index triples; every index
// lies in [0, vertex_count). The arrays must outlive the view.
struct Mesh_view {
    const Tvector3* positions = nullptr;
    std::size_t vertex_count = 0;
    const Ttriangle* triangles = nullptr;
    std::size_t triangle_count = 0;
};

} // namespace mesh
