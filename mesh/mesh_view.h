// The mesh view (shape/mesh_view.h) and the status, under the names the
// mesh module uses.
#pragma once

#include "runtime/status.h"
#include "shape/mesh_view.h"

namespace mesh {

using Nsupershape::Mesh_view;
using Nsupershape::Ttriangle;
using Nsupershape::Tvector3;
using runtime::Status;

} // namespace mesh
