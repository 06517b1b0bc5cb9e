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

// A surface to draw lit: the closed mesh and a unit normal for each vertex.
struct Lit_surface {
    Triangle_mesh mesh;
    std::vector<Tvector3> normals;
};

// The unit normals every lit picture gives `mesh` (Nsupershape::vertex_normals),
// into `normals`, whose storage is kept. Throws std::bad_alloc when memory
// runs out.
void light(const Mesh_view& mesh, std::vector<Tvector3>& normals);

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
