// The closed surface of a supershape, built on the editor's own grid: first
// what it needs, then a fill of caller-owned buffers; and the editor's grid
// and triangle list exactly as it holds them.
#pragma once

#include "mesh/mesh_view.h"

#include <cstdint>
#include <string>
#include <vector>

struct Tparams;

namespace mesh {

// Success, or why a shape was refused: one line without the file's name,
// such as "one row has no area". Empty on success.
struct Status {
    std::string reason;
    bool ok() const { return reason.empty(); }
};

struct Mesh_size {
    std::int32_t vertex_count = 0;
    std::int32_t triangle_count = 0;
};

// Leaves `shape` as the editor's Reset does for `params`: `reload` with the
// nine shape values, then `scale` by `params.scale` on every axis. Throws
// runtime::Failure (out of memory) when the grid cannot be allocated.
void reset_like_editor(Nsupershape::Tsupershape& shape, const Tparams& params);

// What the closed mesh over a grid of `slices` rows of `bands` + 1 columns
// needs: 2 + (slices - 1) x bands vertices and 2 x bands x (slices - 1)
// triangles. Refuses fewer than 2 rows (no area) and fewer than 3 bands (no
// volume), leaving `size` zero.
Status closed_mesh_size(std::int32_t slices, std::int32_t bands, Mesh_size& size);

// Fills caller-owned buffers with the closed mesh of `shape`, which must be
// as reset_like_editor leaves it, `scale` being the factor it was scaled by.
//
// Vertex 0 is the pole at phi = -pi/2 that the grid lacks: x = z = 0, the
// axis itself, and y evaluated as the model evaluates a row's y at that
// angle, then scaled. Then rows 0 ... slices - 2, columns 0 ... bands - 1
// each (column `bands` is welded onto column 0), and last the pole at
// phi = pi/2: the last row welded into its column 0. Grid positions are
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
Status fill_closed_mesh(const Nsupershape::Tsupershape& shape, float scale, Tvector3* positions,
                        std::size_t position_capacity, Ttriangle* triangles,
                        std::size_t triangle_capacity, Mesh_size* written = nullptr);

// The closed mesh in storage of its own.
struct Closed_mesh {
    std::vector<Tvector3> positions;
    std::vector<Ttriangle> triangles;
    Mesh_view view() const;
};

// closed_mesh_size and fill_closed_mesh into `mesh`, which is left empty
// after a refusal. Throws runtime::Failure (out of memory) when the storage
// cannot be had.
Status build_closed_mesh(const Nsupershape::Tsupershape& shape, float scale, Closed_mesh& mesh);

// The editor's grid and triangle list as `shape` holds them: all
// `vertex_count` positions and `triangle_count` triangles, indices wrapping
// as the editor's do. The view points into the shape. Refuses one row, a
// coordinate that is not finite and a list with no area, as the closed mesh
// does.
Status raw_view(const Nsupershape::Tsupershape& shape, Mesh_view& view);

} // namespace mesh
