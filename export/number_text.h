// Numbers as the reports of what was written say them: shapetool's lines
// and the editor's word of an export.
#pragma once

#include "mesh/print_measures.h"
#include "mesh/shell.h"
#include "mesh/statistics.h"

#include <cstddef>
#include <string>

namespace file_export {

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

// `value` rounded to `digits` significant digits, as the shortest text of
// the float it rounds to: 0.0512 to two is "0.051".
std::string rounded_text(double value, int digits);

// "stands on 0.048 mm²; --base 2 gives 21 mm²" when closed `placed`,
// standing on `up` with `millimetres_per_unit` to a unit, has too little
// contact with the bed to print on (mesh::least_contact_area); the base is
// offered unless the mesh is `based` already or it would give no more.
// Empty when it stands well.
std::string contact_warning(const mesh::Mesh_view& placed, mesh::Up up, double millimetres_per_unit, bool based);

// The size a file prints at, such as "2 x 2 x 1.9 mm": the box's sides in
// millimetres, `millimetres_per_unit` to a unit of the mesh, to `digits`.
std::string print_size(const mesh::Mesh_view& mesh, double millimetres_per_unit, int digits = 2);

// "walls from 1.04 mm; solid in 2 places thinner than 4 mm": a shell of
// `wall` millimetres as measured.
std::string shell_summary(const mesh::Shell_report& shell, double wall);

} // namespace file_export
