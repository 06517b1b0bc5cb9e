// shapetool animate: one shape turning a full circle, or a morph through
// several, as an animated file, PNG frames, or both.
#pragma once

#include "tool/command.h"
#include "tool/flags.h"
#include "tool/inputs.h"

#include <optional>
#include <string>

namespace shapetool {

struct Animate_options {
    // One shape turns a full circle; two or more morph in order.
    Shape_inputs inputs;
    // The animated file, its format from the extension (.webp or .gif) ...
    std::string output;
    // ... and or a folder, made when missing, for each frame as a PNG file.
    std::string frames_dir;
    int frames = 60;
    int fps = 30;
    int width = 480, height = 480;
    // The editor's wire strip instead of the lit closed mesh.
    bool wire = false;
    bool transparent = false;
    // WebP's: lossy at a quality from 0 to 100 unless lossless.
    static constexpr int default_quality = 75;
    std::optional<int> quality;
    bool lossless = false;
    // A morph's: back to the first shape, and degrees turned a leg.
    bool loop = false;
    std::optional<float> turn;
    // The camera's degrees above the equator; a turn is about the shape's
    // up axis under it.
    float tilt = default_tilt;
};

int animate(const Animate_options& options, Console& console);

extern const Command_row animate_command;

} // namespace shapetool
