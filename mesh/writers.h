// The mesh file writers: binary STL, OBJ, binary PLY, glb and 3MF, each
// streaming a mesh view to a C stream the caller opened. They never close
// the stream, never rename and never end the process.
#pragma once

#include "mesh/mesh_view.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

struct Tparams;

namespace mesh {

enum class Format { stl, obj, ply, glb, threemf };

// The format named by a lower- or upper-case extension without its dot
// ("stl", "obj", "ply", "glb", "3mf"), or nothing.
std::optional<Format> format_named(std::string_view extension);
// The format that a file name's extension names, or nothing.
std::optional<Format> format_for_path(std::string_view path);
// The extension of `format`, lower case, without its dot.
const char* extension_of(Format format);

// The twelve values a snippet holds, on one line of printable ASCII:
// a=1 b=1 m=4 n1=0.3 n2=1 n3=1 radius=1 slices=8 bands=8 scale=1
// color=255,255,64,255 rot_str="rotations: ". Floats in the shortest form
// that reads back to the same value; in rot_str the quote, the backslash and
// bytes outside printable ASCII are escaped as \", \\ and \xHH.
std::string parameter_text(const Tparams& params);

// Every writer writes `mesh` to `out` from its current position, flushes the
// stream and returns 0, or the errno of the first failure (EIO where the
// library gives none, ENOMEM when memory runs out, EFBIG when the format
// cannot hold the mesh). After a failure what reached the stream is of no
// use. The parameter set travels in the file where the format has room:
// an OBJ or PLY comment (parameter_text), glTF extras, 3MF metadata.
// `mesh` must hold at least one triangle.

// Binary STL: an 80-byte header without the parameters, then per triangle
// its unit normal (zero when it has no area) and corners.
int write_stl(std::FILE* out, const Mesh_view& mesh, const Tparams& params);
// OBJ text: "# supershape PARAMETERS", then "v x y z" and "f i j k" lines,
// indices from 1.
int write_obj(std::FILE* out, const Mesh_view& mesh, const Tparams& params);
// Binary little-endian PLY with "comment supershape PARAMETERS" in its
// header, float x, y, z per vertex and a uchar-counted int list per face.
int write_ply(std::FILE* out, const Mesh_view& mesh, const Tparams& params);
// Binary glTF 2.0 through tinygltf: one node, one mesh, float positions and
// unsigned int indices; the node's extras hold {"supershape": {a, b, m, n1,
// n2, n3, radius, slices, bands, scale, color: [r, g, b, a], rot_str}}.
int write_glb(std::FILE* out, const Mesh_view& mesh, const Tparams& params);
// 3MF through lib3mf: one mesh object and build item, in millimetres, with
// the metadata "Description" = parameter_text. lib3mf writes coordinates to
// six decimals.
int write_3mf(std::FILE* out, const Mesh_view& mesh, const Tparams& params);

// The writer of `format`.
int write_mesh(Format format, std::FILE* out, const Mesh_view& mesh, const Tparams& params);

} // namespace mesh
