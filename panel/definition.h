// Parsing of a bar entry's definition text: attributes such as
// label='Reset Behavior', min=-999, step=0.001, key=SPACE or the bare word
// alpha, separated by blanks. Blanks around '=' are allowed. A key may be
// a chord such as CTRL+Z or CTRL+SHIFT+Z, and a button may have several.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace panel {

struct Definition {
    std::optional<std::string> label;
    std::optional<std::string> help;
    std::optional<double> min, max, step;
    // Decimals the step is written with: 0.001 has 3.
    int step_decimals = 0;
    // The shortcuts, each a window-library key code and the modifiers held.
    struct Shortcut {
        int key = 0;
        bool ctrl = false, shift = false;
        bool operator==(const Shortcut& other) const
        {
            return key == other.key && ctrl == other.ctrl && shift == other.shift;
        }
    };
    std::vector<Shortcut> keys;
    bool alpha = false;
};

struct Parse_result {
    Definition definition;
    // Why the text could not be parsed; empty when it could.
    std::string error;
};

Parse_result parse_definition(const char* text);

} // namespace panel
