// shapetool render: a PNG picture of each shape, drawn as the editor draws
// it, without a display.
#pragma once

#include "tool/command.h"
#include "tool/flags.h"
#include "tool/inputs.h"

#include <string>

namespace shapetool {

struct Render_options {
    Shape_inputs inputs;
    // One PNG file or "-", or a folder with one per input.
    std::string output;
    std::string outdir;
    int width = 640, height = 480;
    // The closed mesh as a lit surface instead of the wire strip.
    bool solid = false;
    // Degrees about the vertical axis.
    float turn = 0.0f;
    // A transparent ground instead of black.
    bool transparent = false;
    // The camera's degrees above the equator.
    float tilt = default_tilt;
};

int render(const Render_options& options, Console& console);

extern const Command_row render_command;

} // namespace shapetool
