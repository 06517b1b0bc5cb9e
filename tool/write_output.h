// Writing a batch's outputs: each whole or not at all, or to standard
// output, each shape meshed in turn and reported as it is done.
#pragma once

#include "tool/inputs.h"
#include "tool/meshed_shape.h"
#include "tool/report.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace shapetool {

// Writes `target` through `write`: a file beside the target, renamed over it
// once whole, or standard output for "-". A failure names the target, or
// "standard output", as runtime::failure words it.
Status write_output(const std::string& target, const std::function<Status(std::FILE*)>& write);

// What a shape's output says once written: what it holds, such as "8,064
// triangles", and advice on a line of its own, or empty.
struct Written {
    std::string summary;
    std::string notice;
};

// Writes one shape's output and says what it wrote in `written`.
using Write_output =
    std::function<Status(Named_shape& shape, Meshed_shape& meshed, const std::string& output, Written& written)>;

// Meshes each shape as `kind` and writes it to its output in `outputs`,
// going on past a shape that cannot be read, meshed or written. Each file is
// reported on standard error, with its notice (only failures with `quiet`),
// with a progress bar on a terminal. Returns the worst exit status.
int write_each(std::vector<Named_shape>& shapes, Meshed_shape::Kind kind, const std::vector<std::string>& outputs,
               bool quiet, Console& console, const Write_output& write);

} // namespace shapetool
