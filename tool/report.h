// How shapetool tells how it went: its exit statuses, where messages go,
// and the one line each error takes.
#pragma once

#include "runtime/status.h"

#include <ostream>
#include <string>

namespace shapetool {

using runtime::Status;

enum Exit_status : int {
    exit_success = 0,
    exit_usage = 1,
    // A snippet refused, or a shape that cannot be meshed or written as asked.
    exit_bad_input = 2,
    // An output that could not be written.
    exit_output_failed = 3,
};

// Where messages go: results to `out`, progress and errors to `err`.
// Errors read "shapetool: PATH: what is wrong", one line each.
struct Console {
    std::ostream& out;
    std::ostream& err;
    // Whether `err` is a terminal, which decides how progress shows.
    bool err_is_terminal = false;
    // Whether standard output is a terminal, which refuses binary output.
    bool out_is_terminal = false;
};

// The exit status a failure gives: refused input 2, anything else 3.
int exit_status_of(const Status& status);
// The worse of two exit statuses: an output failure outranks bad input.
int worse(int first, int second);

// Writes "shapetool: LINE" to standard error.
void report(Console& console, const std::string& line);
// Reports a usage error, which says what to type instead; returns exit_usage.
int usage_error(Console& console, const std::string& line);

} // namespace shapetool
