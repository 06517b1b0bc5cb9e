// The mesh formats by name and extension, what their readers assume, and
// the writer of each.
#pragma once

#include "mesh/placement.h"
#include "mesh/writers.h"

#include <optional>
#include <string_view>

namespace mesh {

enum class Format { stl, obj, ply, glb, threemf };

// The format named by a lower- or upper-case extension without its dot
// ("stl", "obj", "ply", "glb", "3mf"), or nothing.
std::optional<Format> format_named(std::string_view extension);
// The format that a file name's extension names, or nothing.
std::optional<Format> format_for_path(std::string_view path);
// The extension of `format`, lower case, without its dot.
const char* extension_of(Format format);

// The axis that readers take for up: Z for STL and 3MF (every slicer) and
// PLY (Blender's importer, printing tools); Y for glb (the glTF rule) and
// OBJ (modellers' importers).
Up default_up(Format format);
// One unit of the file in millimetres: glTF counts in metres; slicers read
// STL, OBJ and 3MF as millimetres, and PLY goes with them.
double millimetres_per_unit(Format format);
// All but OBJ are binary files.
bool is_binary(Format format);

// The writer of `format` (writers.h).
Status write_mesh(Format format, std::FILE* out, const Export_mesh& file);

} // namespace mesh
