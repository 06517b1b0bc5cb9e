// The supershape's wire: one line strip through the corners of every
// triangle of a mesh but the last five, in one draw call over its arrays.
#pragma once

#include "shape/mesh_view.h"

namespace Nsupershape {

// Draws the strip of `mesh`, whose indices must be in range, in the current
// GL state; with `colors` (one per vertex) each corner's colour too, leaving
// the current colour at the last corner's. Draws nothing for five triangles
// or fewer.
void draw_strip(const Mesh_view& mesh, const Tcolor* colors);

} // namespace Nsupershape
