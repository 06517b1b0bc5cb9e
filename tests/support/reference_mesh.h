// Independent references for the supershape: its formula as written, its strip corner by corner.
#pragma once

#include "shape/Tsupershape.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace test_support {

// The first of `count` elements whose bits differ between the two arrays, or -1: a check of bit-for-bit
// equality that says where it fails.
template <class T>
long long first_difference(const T* one, const T* other, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (std::memcmp(&one[i], &other[i], sizeof(T)) != 0)
            return static_cast<long long>(i);
    return -1;
}

struct Reference_grid {
    std::vector<Nsupershape::Tvector3> positions, normals;
};

// The radius function at every vertex of the shape's grid (columns from the first set, rows from the second), both
// angles advanced by single-precision addition; a ring's tube (its torus above 0) and a ball's rows turned about y by
// the twist times their share of the way from the bottom pole to the top one.
Reference_grid literal_shape(const Nsupershape::Tsupershape& shape);

// Every corner of every triangle but the last five, with its colour when asked, in one GL_LINE_STRIP.
void emit_strip_by_corner(const Nsupershape::Tsupershape& shape, bool with_colors);

} // namespace test_support
