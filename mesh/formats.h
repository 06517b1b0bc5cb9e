// The mesh formats by name and extension, and the writer of each.
#pragma once

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

// The writer of `format` (writers.h).
Status write_mesh(Format format, std::FILE* out, const Mesh_view& mesh, const Tparams& params);

} // namespace mesh
