// A flat base for printing: the closed mesh cut level with the bed and
// closed again by a cap in the cutting plane.
#pragma once

#include "mesh/placement.h"
#include "mesh/statistics.h"

namespace mesh {

// Cuts closed `mesh` by the plane `height` above its lowest point along
// `up`, keeps what lies above and closes it with a cap in that plane: one
// polygon, holes and all, for each outline the plane leaves, triangulated
// facing down. The mesh stays closed and consistently oriented. Refuses a
// height that is not below the mesh's own, leaving the mesh as it was.
// Throws std::bad_alloc when memory runs out.
Status cut_base(Triangle_mesh& mesh, Up up, double height);

// The even scale that makes the largest side of `box`, once cut `base`
// above its lowest point along `up` (in the units `fit` is in), `fit`.
double based_scale(const Box& box, Up up, double fit, double base);

} // namespace mesh
