// How a mesh stands in a file: which axis is up and how large it is. The
// editor's shapes stand on +Y and are about 2 units across.
#pragma once

#include "mesh/closed_mesh.h"

namespace mesh {

enum class Up { y, z };

struct Placement {
    Up up = Up::y;
    // The largest side of the bounding box, in millimetres; 0 keeps the size.
    double fit_millimetres = 0;
    // A flat base cut this many millimetres above the lowest point
    // (mesh/base_cut.h), within the fit; 0 for none.
    double base_millimetres = 0;
};

// Turns the editor's +Y into +Z when `up` is z, by (x, y, z) -> (x, -z, y):
// a rotation, so that the surface still faces outwards. Then, with a fit,
// scales evenly so that the bounding box's largest side is that many
// millimetres in a file whose unit is `millimetres_per_unit`. A mesh with
// no extent keeps its size.
//
// Refuses, with the reason, a fit that single precision cannot hold as the
// shape it was: a side of the box that had an extent and lost it, or a
// largest coordinate below the normal floats, where too few bits are left
// to keep corners apart, and a base not below the shape's height. The mesh
// is of no use then.
Status place(Triangle_mesh& mesh, const Placement& placement, double millimetres_per_unit);

} // namespace mesh
