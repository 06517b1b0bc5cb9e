// shapetool export: each shape as a mesh file, or as its snippet.
#pragma once

#include "mesh/placement.h"
#include "tool/command.h"
#include "tool/inputs.h"

#include <cstddef>
#include <optional>
#include <string>

namespace shapetool {

struct Export_options {
    Shape_inputs inputs;
    // One output file, its format from the extension, or "-" for standard
    // output with --format ...
    std::string output;
    // ... or a folder, made when missing, with one file per input in --format.
    std::string outdir;
    std::string format;
    bool raw = false;
    // The largest side in millimetres; 0 keeps the shape's own size.
    double fit = 0;
    // A flat base this many millimetres high, within the fit; 0 for none.
    double base = 0;
    // Hollow with a wall this many millimetres thick; 0 for solid.
    double shell = 0;
    // With a shell, a drain this many millimetres across; 0 for none.
    double drain = 0;
    // At most this many triangles, made coarser where the surface is
    // flattest; 0 for the whole mesh.
    std::size_t triangles = 0;
    // Which way is up in the file; empty for what the format's readers assume.
    std::optional<mesh::Up> up;
    // OBJ without its vertex normals.
    bool no_normals = false;
};

int export_meshes(const Export_options& options, Console& console);

extern const Command_row export_command;

} // namespace shapetool
