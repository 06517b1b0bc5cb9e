// Small text helpers both programs share: names as messages and files show
// them, and what a file's name says of its kind.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace runtime {

// `text` on one line and safe on a terminal: control characters, C0 and C1,
// such as a newline or a tab in a file's name, and bytes that are not UTF-8,
// as \xHH for each byte.
std::string one_line(std::string_view text);

// `text` with A to Z as a to z.
std::string lower_case(std::string_view text);

// The extension of the last name in `path`, without its dot, in lower case:
// "stl" for "out/X.STL"; empty for none, and for a name that only starts
// with a dot, such as ".bas".
std::string extension_of(std::string_view path);

// `items` as a list in a sentence, the last two joined by `last`: with "or",
// "info, export, render or gallery".
std::string listed(const std::vector<std::string>& items, const char* last);

} // namespace runtime
