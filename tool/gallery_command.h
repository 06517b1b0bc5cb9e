// shapetool gallery: one contact sheet of many shapes, drawn without a
// display.
#pragma once

#include "tool/command.h"
#include "tool/flags.h"
#include "tool/inputs.h"

#include <string>

namespace shapetool {

struct Gallery_options {
    Shape_inputs inputs;
    std::string output;
    // 0: about as many columns as rows.
    int columns = 0;
    int thumb_width = 160, thumb_height = 120;
    bool solid = false;
    float turn = 0.0f;
    float tilt = default_tilt;
};

int gallery(const Gallery_options& options, Console& console);

extern const Command_row gallery_command;

} // namespace shapetool
