// A shapetool command as its row in the table of commands
// (tool/command_line.cpp): each command's file defines its row.
#pragma once

#include "tool/report.h"

#include <string>

namespace CLI {
class App;
}

namespace shapetool {

struct Command_line;

struct Command_row {
    const char* name;
    std::string (*summary)();
    // Shown after the flags, and in the manual's EXAMPLES.
    const char* examples;
    // Binds the command's flags to its options in `line`.
    void (*add_flags)(CLI::App& command, Command_line& line);
    int (*run)(const Command_line& line, Console& console);
};

} // namespace shapetool
