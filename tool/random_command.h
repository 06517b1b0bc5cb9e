// shapetool random: snippets of random shapes, the editor's draws for a
// seed.
#pragma once

#include "tool/command.h"
#include "tool/inputs.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace shapetool {

struct Random_options {
    // Values given fix those fields (the grid 100 x 100 unless given).
    Parameter_flags flags;
    // Formula numbers and "color" kept from the flags or the start values.
    std::vector<std::string> keep;
    int count = 10;
    // From the clock, and said, when not given.
    std::optional<std::uint64_t> seed;
    std::string outdir;
    // Rings and twisted balls among the draws too.
    bool rings_and_twists = false;
    bool quiet = false;
};

int random_shapes(const Random_options& options, Console& console);

extern const Command_row random_command;

} // namespace shapetool
