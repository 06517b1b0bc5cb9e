// The file writers: binary STL, OBJ (with its material file), binary PLY,
// glb and 3MF, each streaming a mesh to a C stream the caller opened, and
// the snippet, which writes the parameters alone. They never close the
// stream, never rename and never end the process.
#pragma once

#include "mesh/triangle_mesh.h"
#include "params/Tparams.h"

#include <cstdio>
#include <string>

namespace file_export {

using mesh::Mesh_view;
using mesh::Ttriangle;
using mesh::Tvector3;
using runtime::Status;

// What a file holds: the mesh as placed (placement.h), at least one
// triangle, every index in range, and what the formats carry beside it.
struct Export_mesh {
    Mesh_view mesh;
    // The file's name for the object, such as the snippet's file name
    // without its folder and extension.
    std::string name;
    // The parameter set the file carries where the format has room
    // (metadata.h); its colour is the object's.
    Tparams params;
    // The name of the companion file beside this one (formats.h), which the
    // file names; empty for none.
    std::string companion_file;
    // Whether OBJ carries smooth vertex normals; without them readers shade
    // it by its smoothing group, or flat.
    bool vertex_normals = true;
};

// Every writer writes to `out` from its current position, flushes the
// stream and succeeds, or fails with the reason in a few words: cannot_write
// ("No space left on device", "File too large" when the format cannot hold
// the mesh), or refused when the file would hold a worse mesh than the one
// given. After a failure what reached the stream is of no use.

// Binary STL, read as millimetres: an 80-byte header without the
// parameters, then per triangle its unit normal from its winding (zero when
// it has no area) and corners. No colour: the format has no agreed place.
Status write_stl(std::FILE* out, const Export_mesh& file);
// OBJ text, read as millimetres: "# supershape PARAMETERS", the material
// file and the object's name, "v x y z" lines, "vn x y z" lines of the lit
// surface's unit normals (mesh::light, as glb's: a vertex on a crease has
// one a side) unless left out, one smoothing group so that importers shade
// smoothly, and "f i//n j//m k//l" lines, indices from 1 ("f i j k"
// without normals).
Status write_obj(std::FILE* out, const Export_mesh& file);
// The OBJ's material file: one material named after the object (blanks and
// control bytes as "_", at most 63 bytes, as Blender keeps names), its
// diffuse colour the shape's as linear values and its dissolve the colour's
// alpha.
Status write_obj_material(std::FILE* out, const Export_mesh& file);
// Binary little-endian PLY with "comment supershape PARAMETERS" in its
// header, float x, y, z and uchar red, green, blue, alpha per vertex, and a
// uchar-counted int list per face.
Status write_ply(std::FILE* out, const Export_mesh& file);
// Binary glTF 2.0 through tinygltf, in metres: one scene, one node and one
// mesh named after the object, the lit surface's vertices (mesh::light: a
// vertex on a crease once a side) with float positions and unit normals,
// unsigned int indices, and a material named after the object whose base
// colour is the shape's (blended when its alpha is below 255); the node's
// extras hold {"supershape": PARAMETERS}.
Status write_glb(std::FILE* out, const Export_mesh& file);
// 3MF through lib3mf: one mesh object named after the object, in the shape's
// colour, of type "model" when it is closed (statistics.h) and "surface"
// otherwise, one build item, and the metadata "Description" = PARAMETERS.
// lib3mf writes coordinates with six decimals, cut towards zero, and at most
// 1e9: the unit is millimetres unless the shape is so small or so large
// that some distinct vertices would meet or some triangle lose its area;
// then the finest of micron, centimetre and metre that keeps the mesh as it
// is (same physical size). Refused when none does.
Status write_3mf(std::FILE* out, const Export_mesh& file);
// The shape's snippet, byte for byte what the editor's Save writes for its
// parameters; the mesh is not read.
Status write_snippet(std::FILE* out, const Export_mesh& file);

} // namespace file_export
