#include "shape/mesh_view.h"

namespace Nsupershape {

bool indices_in_range(const Mesh_view& mesh)
{
    const auto in_range = [&mesh](std::int32_t index) {
        return index >= 0 && static_cast<std::size_t>(index) < mesh.vertex_count;
    };
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        const Ttriangle& triangle = mesh.triangles[t];
        if (!in_range(triangle.i0) || !in_range(triangle.i1) || !in_range(triangle.i2))
            return false;
    }
    return true;
}

} // namespace Nsupershape
