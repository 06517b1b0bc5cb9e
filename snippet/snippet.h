// The parameter set as a source snippet: the text Save writes, its file name,
// and a reader for exactly such files. Plain computation and file reading; no
// GL, nothing that ends the process.
#pragma once

#include "params/Tparams.h"
#include "runtime/status.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace snippet {

using runtime::Status;

// The snippet for `params`: 31 lines, each ending in CR LF, holding a, b, m,
// n1, n2, n3, radius, slices, bands, scale, color and rot_str. Numbers have 7
// significant digits, so a float survives a write and a read only when 7
// digits name it; writing what was read gives the same text again.
std::string text(const Tparams& params);

struct Local_time {
    int hours, minutes, seconds;
};

struct Local_date {
    int month, day, year;
};

// "shapes/shape_mm-dd-yyyy_hh_mm_ss.bas", relative to the working folder.
std::string file_name(const Local_time& time, const Local_date& date);

// Limits on what the reader takes in; a snippet Save writes is far smaller
// unless its rot_str runs to thousands of characters.
constexpr std::size_t max_file_size = 64 * 1024;
constexpr std::size_t max_line_length = 16 * 1024;

// Reads a snippet as Save writes it: the comment and routine lines, the
// twelve assignments in any order, blanks and tabs anywhere between items,
// blank lines anywhere, CR LF or LF line ends. Refuses anything else: a
// missing, repeated or unknown field, a number that is malformed, not finite
// or beyond single precision, a count outside its limits, a colour byte
// above 255, an empty file, control bytes, a line longer than
// max_line_length. `name` is the file's name for the messages, which read
// "NAME:LINE: expected ..., found ...". On success `params` holds the twelve
// saved fields and every other field at its start value; on a refusal it is
// left as it was.
Status parse(std::string_view contents, std::string_view name, Tparams& params);

// Reads the file at `path` with parse(), reading no more than
// max_file_size + 1 bytes. Also refuses a larger file; a folder and a file
// that cannot be read are `unreadable` (then the message has no line
// number). Never throws.
Status read_file(const std::string& path, Tparams& params);

} // namespace snippet
