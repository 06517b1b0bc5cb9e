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

// The snippet for `params`: each line ending in CR LF, an assignment for each
// field params::is_saved names. That is 31 lines of twelve fields (a, b, m,
// n1, n2, n3, radius, slices, bands, scale, color and rot_str), or 39 lines of
// eighteen for a shape with a second set of its own; a torus or a twist not
// 0 adds its assignment and its call, two lines each. Numbers have 7
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

// Reads a snippet as Save writes it: the routine's lines, the twelve or
// eighteen assignments and a torus's or twist's in any order, with its call, blanks and tabs anywhere between items,
// blank lines and comment lines (first non-blank characters '') anywhere, CR LF or LF line ends, a UTF-8 byte-order
// mark at the start. Save's header comments are comments like any other and are not compared. Refuses anything else: a
// missing, repeated or unknown field, a number that is malformed, not finite
// or beyond single precision, a torus below 0, a count outside its limits, a colour byte
// above 255, an empty file or one of only comments, control bytes, a line
// longer than max_line_length. `name` is the file's name for the messages,
// which read "NAME:LINE: expected ..., found ...", LINE counting every line.
// On success `params` holds the saved fields read, the sets linked unless a
// second set was read, and every other field at its start value; on a
// refusal it is left as it was.
Status parse(std::string_view contents, std::string_view name, Tparams& params);

// Reads a snippet from `descriptor` to its end with parse(), reading no more
// than max_file_size + 1 bytes and refusing a larger input. Reads block (a
// pipe on standard input is meant to be waited for); an interrupted read is
// retried and a non-blocking descriptor is waited on. A failed read is
// `unreadable`: "NAME: cannot read: REASON". The descriptor stays open and
// is the caller's. Never throws.
Status read_descriptor(int descriptor, std::string_view name, Tparams& params);

// Reads the file at `path` with read_descriptor(). Anything but a regular
// file is `unreadable` without being read, so a FIFO never waits for a
// writer: "PATH: expected a snippet file, found a folder" (a FIFO, a device,
// a socket, a special file); so is a file that cannot be opened. These
// messages have no line number. Never throws.
Status read_file(const std::string& path, Tparams& params);

} // namespace snippet
