// The meshes of a shape as the editor's Reset builds it: the closed surface
// over its grid (first what it needs, then a fill of caller-owned buffers),
// the same surface lit, and the editor's own grid and triangle list.
#pragma once

#include "mesh/triangle_mesh.h"
#include "params/Tparams.h"
#include "shape/grid.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace mesh {

// The smallest grid that has an area, and the smallest that encloses a volume.
constexpr std::int32_t closed_min_slices = 2;
constexpr std::int32_t closed_min_bands = 3;
// The fewest rows of a ring's tube that is not flat.
constexpr std::int32_t ring_min_slices = 3;

// What the closed mesh over a grid of `slices` rows of `bands` + 1 columns
// needs: 2 + (slices - 1) x bands vertices and 2 x bands x (slices - 1)
// triangles. Refuses fewer than 2 rows (no area) and fewer than 3 bands (no
// volume), leaving `size` zero.
Status closed_mesh_size(std::int32_t slices, std::int32_t bands, Mesh_size& size);

// Fills caller-owned buffers with the closed mesh over `grid`, the positions
// of `slices` rows of `bands` + 1 vertices as the editor's Reset leaves them,
// and `first_pole`, the point before the first row that the grid lacks.
//
// Vertex 0 is `first_pole`. Then rows 0 ... slices - 2, columns 0 ...
// bands - 1 each (column `bands` is welded onto column 0), and last the pole
// at phi = pi/2: the last row welded into its column 0. Grid positions are
// copied bit for bit. Between neighbouring rows each quad a = (i, j),
// b = (i, j + 1), c = (i + 1, j), d = (i + 1, j + 1) gives (a, b, d) and
// (d, c, a), those with a repeated corner (at the poles) dropped; all are
// reversed when that makes the signed volume positive.
//
// Refuses, with the reason, a grid that closed_mesh_size refuses, buffers
// smaller than it says (nothing is written past a capacity), a coordinate
// that is not finite, and a surface with no area or no volume. After a
// refusal the buffers hold nothing of use. `written`, when not null, gets
// the counts filled (zero after a refusal).
Status fill_closed_mesh(const Tvector3* grid, std::int32_t slices, std::int32_t bands, const Tvector3& first_pole,
                        Tvector3* positions, std::size_t position_capacity, Ttriangle* triangles,
                        std::size_t triangle_capacity, Mesh_size* written = nullptr);

// The closed mesh of the shape the editor's Reset builds for `params`, into
// `mesh`, which is left empty after a refusal. A ball's is fill_closed_mesh's;
// a ring's (Nsupershape::is_ring) is closed without poles: slices x bands
// vertices, rows 0 ... slices - 1 of columns 0 ... bands - 1 (column `bands`
// welded onto column 0), and the same quads between each row and the next,
// the last and the first included: 2 x slices x bands triangles, genus one.
// Refused as fill_closed_mesh refuses, a ring under ring_min_slices rows, a
// ring with a twist (Nsupershape::refusal), and one whose tube reaches its
// axis (a torus not above Nsupershape::tube_reach), with a torus that would
// do. `grid` holds the editor's
// grid on the way. Both keep their storage from call to call, so that
// meshing again and again allocates nothing once the largest is met.
// Throws std::bad_alloc when memory runs out.
Status build_closed_mesh(const Tparams& params, Triangle_mesh& mesh, std::vector<Tvector3>& grid);
// The same with a grid of its own.
Status build_closed_mesh(const Tparams& params, Triangle_mesh& mesh);

// Faces that meet at a vertex share its normal when they lie within this
// many degrees of each other; further apart, the vertex takes a normal per
// side. A supershape's smooth parts fold by a few degrees from face to face
// at the usual grids (up to about 30 at a sharp arm's tip), its creases (the
// spinning top's dish, the lantern's and the ribbed ball's ribs) by 90 and
// more: 60 keeps the first smooth and splits the second. Blender's
// auto-smooth takes 30 and three.js's creased normals 60.
constexpr double crease_degrees = 60;

// A triangle corner's place in a mesh's index list, three a triangle.
using Corner = std::int64_t;

// A surface to draw lit: a mesh and a unit normal for each of its
// vertices. Where the faces around a vertex of the closed mesh fold
// further apart than crease_degrees, the vertex is copied, once for each
// further side, the copies after the closed mesh's own vertices; the
// triangles are the closed mesh's, in its order, their corners on a side
// naming its copy. Every corner's normal lies within crease_degrees of its
// face's, and a vertex that no face with an area reaches gets +Y.
struct Lit_surface {
    Triangle_mesh mesh;
    std::vector<Tvector3> normals;
    // The closed mesh's vertex each copy is of: copy k is vertex
    // closed count + k.
    std::vector<std::int32_t> copied_from;

    // The closed mesh's vertex of lit vertex `k`.
    std::int32_t source(std::int32_t k) const
    {
        const auto closed = static_cast<std::int32_t>(mesh.positions.size() - copied_from.size());
        return k < closed ? k : copied_from[std::size_t(k - closed)];
    }
    // Scratch kept from call to call.
    std::vector<Tvector3> face_normals;
    std::vector<std::int32_t> fan_of;
    std::vector<Corner> fan_corners;
    std::vector<std::pair<std::int32_t, Corner>> fan;
};

// The lit surface of the closed mesh in `surface.mesh`, in place: its
// normals and copies. Needs every index in range. Its storage is kept from
// call to call. Throws std::bad_alloc when memory runs out.
void light(Lit_surface& surface);
// The same for `mesh`, copied into `surface`.
void light(const Mesh_view& mesh, Lit_surface& surface);

// The lit surface over `grid` as the editor shows it: evaluated for
// `formula`, scaled by `scale`, then swapped by `swaps` ('0' exchanges x and
// y, '1' x and z, '2' y and z, in order). The pole the grid lacks is placed
// the same way, and the winding is chosen on the swapped positions, so a
// swapped surface still faces outwards. Refuses as build_closed_mesh does,
// leaving `surface` empty. Its storage is kept from call to call. Throws
// std::bad_alloc when memory runs out.
Status build_lit_surface(const Tvector3* grid, std::int32_t slices, std::int32_t bands,
                         const Nsupershape::Formula& formula, float scale, std::string_view swaps,
                         Lit_surface& surface);

// The editor's grid and triangle list as Reset builds them for `params`,
// indices wrapping as the editor's do, into `grid`, whose storage is kept:
// whatever grid the editor draws. Refuses only a grid with no vertices or
// too many. Throws std::bad_alloc when memory runs out.
Status build_wire_grid(const Tparams& params, Triangle_mesh& grid);

// The same grid for a file, which is left empty after a refusal: one row, a
// coordinate that is not finite and a list with no area are refused as the
// closed mesh refuses them.
Status build_raw_grid(const Tparams& params, Triangle_mesh& grid);

} // namespace mesh
