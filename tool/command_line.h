// shapetool's command line: the table of commands, read into the options of
// the command it names, and run. Tests call a command's work directly with
// its options.
#pragma once

#include "tool/animate_command.h"
#include "tool/export_command.h"
#include "tool/gallery_command.h"
#include "tool/info_command.h"
#include "tool/random_command.h"
#include "tool/render_command.h"

#include <optional>
#include <string>
#include <vector>

namespace shapetool {

// A command line, read: the command's name and its options.
struct Command_line {
    std::string command;
    Info_options info;
    Export_options export_options;
    Render_options render;
    Gallery_options gallery;
    Animate_options animate;
    Random_options random;
};

// The commands' names, in the order --help lists them.
std::vector<std::string> command_names();

// Reads `argv` into `line` and touches nothing but `console`: no file is
// opened. Returns the exit status when there is nothing left to run (help,
// the version, or a usage error in one line); nothing when `line` holds a
// command whose every value is within the limits --help gives.
std::optional<int> parse_command_line(int argc, const char* const argv[], Command_line& line, Console& console);

// Runs the command `line` names.
int run(const Command_line& line, Console& console);

// Parses `argv` and runs the command it names.
int run(int argc, const char* const argv[], Console& console);

} // namespace shapetool
