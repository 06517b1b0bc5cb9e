// Numbers as shapetool's reports write them.
#pragma once

#include "mesh/statistics.h"

#include <cstddef>
#include <string>

namespace shapetool {

// 1234567 as "1,234,567".
std::string grouped(std::size_t number);

using Extent = Nsupershape::Vector3<double>;

// In double: the sides of a box of floats may pass the largest float.
Extent extent(const mesh::Box& box);

// Whether a side is within the floats.
bool fits_float(double side);
// A side as the float it rounds to, as the bounds are given, or as the
// double beyond the floats.
std::string side_text(double side);

} // namespace shapetool
