// A written mesh file as the outside libraries read it: lib3mf for 3MF, tinygltf for glb, Assimp for the others.
#pragma once

#include "export/formats.h"
#include "mesh/triangle_mesh.h"

#include <array>
#include <string>
#include <vector>

namespace test_support {

struct Read_back {
    std::vector<mesh::Tvector3> positions, normals;
    std::vector<mesh::Ttriangle> triangles;
    std::array<int, 4> colour{-1, -1, -1, -1};
    // glb's node, 3MF's object, OBJ's material; 3MF's object type.
    std::string name, object_type;
    // As file_export::parameter_text writes them; "(raw)" where 3MF's text is not well-formed XML.
    std::string parameters;
    double millimetres_per_unit = 1;
};

// The mesh file at `path` in `format` as the library for it reads it, empty when it refuses it. Colours as sRGB bytes,
// from glb's and OBJ's linear values.
Read_back read_mesh_file(file_export::Format format, const std::string& path);

// Why what was read of a file in `format` is not `mesh`, such as "corner 7 moved", or empty when every triangle's
// corners are where `mesh` has them, as closely as that format's reader gets (format_expectations.h).
std::string changed_corner(const Read_back& found, const mesh::Mesh_view& mesh, file_export::Format format);

} // namespace test_support
