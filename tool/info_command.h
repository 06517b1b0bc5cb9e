// shapetool info: each shape's parameters and its mesh measured.
#pragma once

#include "mesh/placement.h"
#include "tool/command.h"
#include "tool/inputs.h"

#include <optional>

namespace shapetool {

struct Info_options {
    Shape_inputs inputs;
    bool json = false;
    bool raw = false;
    // How each would print, placed as export places it with --fit and --up,
    // solid at `density` grams per cubic centimetre.
    bool print = false;
    double fit = 0;
    double base = 0;
    // Hollow with a wall this many millimetres thick; 0 for solid.
    double shell = 0;
    std::optional<mesh::Up> up;
    double density = 0;
};

int info(const Info_options& options, Console& console);

extern const Command_row info_command;

} // namespace shapetool
