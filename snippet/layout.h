// The layout of a snippet file, shared by its writer and its reader: the
// fixed lines around the assignments, which set the fields of
// params/fields.h in that table's order.
#pragma once

#include <string>
#include <vector>

namespace snippet::layout {

constexpr char field_prefix[] = "params.";

// The lines before the assignments and after them, without line ends;
// after them, a shape with a second set is handed over with both, and each
// field of `set_after` (a torus, a twist) is given by a call of its own.
std::vector<std::string> head_lines();
std::vector<std::string> tail_lines(bool second_set, const std::vector<std::string>& set_after);

} // namespace snippet::layout
