// The closed mesh over the editor's grid: the poles, the welded seam, the
// quads between rows and the winding; the surface to light; and the raw grid.
#include "mesh/closed_mesh.h"

#include "mesh/statistics.h"

#include <climits>
#include <cmath>

namespace mesh {
namespace {

// The first of `count` positions that is not finite, or -1.
long long first_non_finite(const Tvector3* positions, long long count)
{
    for (long long k = 0; k < count; ++k) {
        const Tvector3& p = positions[k];
        if (!(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)))
            return k;
    }
    return -1;
}

// A grid position, for messages.
std::string grid_position(long long row, long long column)
{
    return "row " + std::to_string(row) + ", column " + std::to_string(column);
}

// Where vertex k of the closed mesh comes from, for messages.
std::string closed_position(long long k, std::int32_t slices, std::int32_t bands)
{
    if (k == 0)
        return "the pole at -pi/2";
    const long long rings = slices - 1LL;
    if (k > rings * bands)
        return grid_position(rings, 0);
    return grid_position((k - 1) / bands, (k - 1) % bands);
}

Status not_finite(const std::string& where)
{
    return runtime::refused("a coordinate is not a finite number (" + where + ")");
}

// The refusal shared by both meshes once the positions are known.
Status check_area(const Surface_integrals& integrals)
{
    if (!(integrals.area > 0))
        return runtime::refused("the shape has no area");
    return {};
}

Status one_row()
{
    return runtime::refused("one row has no area: slices must be at least 2");
}

// The pole at -pi/2 that the grid lacks, placed as the grid was: scaled,
// then swapped.
Tvector3 first_pole(const Nsupershape::Formula& formula, float scale, std::string_view swaps)
{
    Tvector3 pole{0.0f, Nsupershape::first_pole_y(formula) * scale, 0.0f};
    for (const char axis : swaps)
        Nsupershape::swap_positions(&pole, 1, axis - '0');
    return pole;
}

// The closed mesh over `grid` with `pole`, into `mesh`, whose storage is
// kept; empty after a refusal.
Status close_grid(const Tvector3* grid, std::int32_t slices, std::int32_t bands, const Tvector3& pole,
                  Triangle_mesh& mesh)
{
    Mesh_size size;
    Status status = closed_mesh_size(slices, bands, size);
    if (status.ok()) {
        mesh.positions.resize(size.vertex_count);
        mesh.triangles.resize(size.triangle_count);
        status = fill_closed_mesh(grid, slices, bands, pole, mesh.positions.data(), mesh.positions.size(),
                                  mesh.triangles.data(), mesh.triangles.size());
    }
    if (!status.ok())
        mesh.clear();
    return status;
}

} // namespace

Status closed_mesh_size(std::int32_t slices, std::int32_t bands, Mesh_size& size)
{
    size = {};
    if (slices < closed_min_slices)
        return one_row();
    if (bands < closed_min_bands)
        return runtime::refused("fewer than 3 bands enclose no volume");
    const std::size_t rings = std::size_t(slices) - 1;
    const std::size_t triangles = 2 * rings * std::size_t(bands);
    // Indices are 32-bit.
    if (triangles > INT32_MAX)
        return runtime::refused("the grid is too large");
    size = {2 + rings * std::size_t(bands), triangles};
    return {};
}

Status fill_closed_mesh(const Tvector3* grid, std::int32_t slices, std::int32_t bands, const Tvector3& first_pole,
                        Tvector3* positions, std::size_t position_capacity, Ttriangle* triangles,
                        std::size_t triangle_capacity, Mesh_size* written)
{
    if (written)
        *written = {};
    Mesh_size size;
    Status status = closed_mesh_size(slices, bands, size);
    if (!status.ok())
        return status;
    const std::size_t columns = std::size_t(bands) + 1;
    if (position_capacity < size.vertex_count || triangle_capacity < size.triangle_count)
        return runtime::refused("the buffers are too small for the closed mesh");

    positions[0] = first_pole;
    const std::int32_t last = static_cast<std::int32_t>(size.vertex_count - 1);
    for (std::int32_t row = 0; row + 1 < slices; ++row)
        for (std::int32_t column = 0; column < bands; ++column)
            positions[1 + row * bands + column] = grid[row * columns + column];
    positions[last] = grid[(slices - 1) * columns];
    const long long bad = first_non_finite(positions, size.vertex_count);
    if (bad >= 0)
        return not_finite(closed_position(bad, slices, bands));

    // Closed-mesh index of grid vertex (row, column); row -1 is the added pole.
    const auto index = [&](std::int32_t row, std::int32_t column) -> std::int32_t {
        if (row < 0)
            return 0;
        if (row == slices - 1)
            return last;
        return 1 + row * bands + (column == bands ? 0 : column);
    };
    std::size_t count = 0;
    const auto emit = [&](std::int32_t p, std::int32_t q, std::int32_t r) {
        if (p != q && q != r && r != p)
            triangles[count++] = {p, q, r};
    };
    for (std::int32_t row = -1; row + 1 < slices; ++row) {
        for (std::int32_t column = 0; column < bands; ++column) {
            const std::int32_t a = index(row, column), b = index(row, column + 1);
            const std::int32_t c = index(row + 1, column), d = index(row + 1, column + 1);
            emit(a, b, d);
            emit(d, c, a);
        }
    }

    const Surface_integrals integrals = surface_integrals({positions, size.vertex_count, triangles, count});
    status = check_area(integrals);
    if (!status.ok())
        return status;
    if (integrals.volume == 0)
        return runtime::refused("the shape encloses no volume");
    if (integrals.volume < 0)
        for (std::size_t t = 0; t < count; ++t)
            std::swap(triangles[t].i1, triangles[t].i2);
    if (written)
        *written = size;
    return {};
}

Mesh_view Triangle_mesh::view() const
{
    return {positions.data(), positions.size(), triangles.data(), triangles.size()};
}

void Triangle_mesh::clear()
{
    positions.clear();
    triangles.clear();
}

Status build_closed_mesh(const Tparams& params, Triangle_mesh& mesh, std::vector<Tvector3>& grid)
{
    Mesh_size size;
    if (const Status status = closed_mesh_size(params.slices, params.bands, size); !status.ok()) {
        mesh.clear();
        return status;
    }
    grid.resize(Nsupershape::grid_size(params.slices, params.bands).vertex_count);
    Nsupershape::build_as_reset(params, grid.data(), nullptr);
    return close_grid(grid.data(), params.slices, params.bands,
                      first_pole(Nsupershape::formula_of(params), params.scale, ""), mesh);
}

Status build_closed_mesh(const Tparams& params, Triangle_mesh& mesh)
{
    std::vector<Tvector3> grid;
    return build_closed_mesh(params, mesh, grid);
}

Status build_lit_surface(const Tvector3* grid, std::int32_t slices, std::int32_t bands,
                         const Nsupershape::Formula& formula, float scale, std::string_view swaps, Lit_surface& surface)
{
    const Status status = close_grid(grid, slices, bands, first_pole(formula, scale, swaps), surface.mesh);
    if (status.ok()) {
        light(surface);
    } else {
        surface.normals.clear();
        surface.copied_from.clear();
    }
    return status;
}

Status build_wire_grid(const Tparams& params, Triangle_mesh& grid)
{
    grid.clear();
    const Mesh_size size = Nsupershape::grid_size(params.slices, params.bands);
    if (size.vertex_count == 0)
        return runtime::refused("the shape holds no grid");
    if (size.triangle_count > INT32_MAX)
        return runtime::refused("the grid is too large");
    grid.positions.resize(size.vertex_count);
    grid.triangles.resize(size.triangle_count);
    Nsupershape::build_as_reset(params, grid.positions.data(), grid.triangles.data());
    return {};
}

Status build_raw_grid(const Tparams& params, Triangle_mesh& grid)
{
    grid = {};
    if (params.slices < closed_min_slices)
        return one_row();
    Status status = build_wire_grid(params, grid);
    if (!status.ok())
        return status;
    const long long bad = first_non_finite(grid.positions.data(), grid.positions.size());
    const long long columns = static_cast<long long>(params.bands) + 1;
    status = bad >= 0 ? not_finite(grid_position(bad / columns, bad % columns))
                      : check_area(surface_integrals(grid.view()));
    if (!status.ok())
        grid = {};
    return status;
}

} // namespace mesh
