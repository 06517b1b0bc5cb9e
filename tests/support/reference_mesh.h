// Independent references for the supershape: its formula as written, its strip corner by corner.
#pragma once

#include "shape/Tsupershape.h"

#include <vector>

namespace test_support {

struct Reference_grid {
    std::vector<Nsupershape::Tvector3> positions, normals;
};

// The radius function at every vertex of the shape's grid (columns from the first set, rows from the second), both
// angles advanced by single-precision addition.
Reference_grid literal_shape(const Nsupershape::Tsupershape& shape);

// Every corner of every triangle but the last five, with its colour when asked, in one GL_LINE_STRIP.
void emit_strip_by_corner(const Nsupershape::Tsupershape& shape, bool with_colors);

} // namespace test_support
