// A mesh in storage of its own, and the mesh elements (shape/mesh_view.h)
// and the status under the names the mesh module uses.
#pragma once

#include "runtime/status.h"
#include "shape/mesh_view.h"

#include <vector>

namespace mesh {

using Nsupershape::Mesh_size;
using Nsupershape::Mesh_view;
using Nsupershape::Ttriangle;
using Nsupershape::Tvector3;
using runtime::Status;

struct Triangle_mesh {
    std::vector<Tvector3> positions;
    std::vector<Ttriangle> triangles;
    Mesh_view view() const;
    // Empty, keeping the storage.
    void clear();
};

} // namespace mesh
