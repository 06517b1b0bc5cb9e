// shapetool info: each shape's parameters and its mesh measured.
#pragma once

#include "tool/command.h"
#include "tool/inputs.h"

namespace shapetool {

struct Info_options {
    Shape_inputs inputs;
    bool json = false;
    bool raw = false;
};

int info(const Info_options& options, Console& console);

extern const Command_row info_command;

} // namespace shapetool
