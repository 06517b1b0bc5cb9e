// A written mesh file's bytes as the outside libraries read them: lib3mf for
// 3MF, tinygltf for glb.
#pragma once

#include "mesh/triangle_mesh.h"

#include <array>
#include <string>
#include <vector>

namespace test_support {

struct Read_back {
    std::vector<mesh::Tvector3> positions, normals;
    std::vector<mesh::Ttriangle> triangles;
    std::array<int, 4> colour{-1, -1, -1, -1};
    std::string name;
    // The parameters carried, as mesh::parameter_text writes them; "(raw)"
    // where 3MF's text is not well-formed XML.
    std::string parameters;
    double millimetres_per_unit = 1;
};

// Empty when the library refuses the bytes.
Read_back read_3mf(const std::string& bytes);
Read_back read_glb(const std::string& bytes);

} // namespace test_support
