// The mesh file writers: binary STL, OBJ, binary PLY, glb and 3MF, each
// streaming a mesh view to a C stream the caller opened. They never close
// the stream, never rename and never end the process.
#pragma once

#include "mesh/mesh_view.h"
#include "params/Tparams.h"

#include <cstdio>

namespace mesh {

// Every writer writes `mesh` to `out` from its current position, flushes the
// stream and succeeds, or fails as cannot_write with the reason in a few
// words ("No space left on device", "File too large" when the format cannot
// hold the mesh). After a failure what reached the stream is of no use. The
// parameter set travels in the file where the format has room (metadata.h):
// an OBJ or PLY comment, glTF extras, 3MF metadata. `mesh` must hold at
// least one triangle, every index in range.

// Binary STL: an 80-byte header without the parameters, then per triangle
// its unit normal (zero when it has no area) and corners.
Status write_stl(std::FILE* out, const Mesh_view& mesh, const Tparams& params);
// OBJ text: "# supershape PARAMETERS", then "v x y z" and "f i j k" lines,
// indices from 1.
Status write_obj(std::FILE* out, const Mesh_view& mesh, const Tparams& params);
// Binary little-endian PLY with "comment supershape PARAMETERS" in its
// header, float x, y, z per vertex and a uchar-counted int list per face.
Status write_ply(std::FILE* out, const Mesh_view& mesh, const Tparams& params);
// Binary glTF 2.0 through tinygltf: one node, one mesh, float positions and
// unsigned int indices; the node's extras hold {"supershape": PARAMETERS}.
Status write_glb(std::FILE* out, const Mesh_view& mesh, const Tparams& params);
// 3MF through lib3mf: one mesh object and build item, in millimetres, with
// the metadata "Description" = PARAMETERS. lib3mf writes coordinates to six
// decimals.
Status write_3mf(std::FILE* out, const Mesh_view& mesh, const Tparams& params);

} // namespace mesh
