// The closed mesh over the editor's grid: the poles, the welded seam, the
// quads between rows and the winding; the surface to light; and the raw grid.
#include "mesh/closed_mesh.h"

#include "mesh/statistics.h"
#include "params/fields.h"

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

// How the grid is closed: a pole added before the first row and the last
// row welded into one, or the last row joined to the first (a ring).
enum class Closure { poles, ring };

// Where vertex k of the closed mesh comes from, for messages.
std::string closed_position(Closure closure, long long k, std::int32_t slices, std::int32_t bands)
{
    if (closure == Closure::ring)
        return grid_position(k / bands, k % bands);
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

Status mesh_size(Closure closure, std::int32_t slices, std::int32_t bands, Mesh_size& size)
{
    size = {};
    if (closure == Closure::ring && slices < ring_min_slices)
        return runtime::refused("a ring's tube needs " + std::to_string(ring_min_slices) + " slices or more");
    if (slices < closed_min_slices)
        return one_row();
    if (bands < closed_min_bands)
        return runtime::refused("fewer than 3 bands enclose no volume");
    // The bands of quads between rows; a ring's last row joins its first.
    const std::size_t rings = closure == Closure::ring ? std::size_t(slices) : std::size_t(slices) - 1;
    const std::size_t triangles = 2 * rings * std::size_t(bands);
    // Indices are 32-bit.
    if (triangles > INT32_MAX)
        return runtime::refused("the grid is too large");
    size = {(closure == Closure::ring ? 0 : 2) + rings * std::size_t(bands), triangles};
    return {};
}

Status fill(Closure closure, const Tvector3* grid, std::int32_t slices, std::int32_t bands, const Tvector3& first_pole,
            Tvector3* positions, std::size_t position_capacity, Ttriangle* triangles, std::size_t triangle_capacity,
            Mesh_size* written)
{
    if (written)
        *written = {};
    Mesh_size size;
    Status status = mesh_size(closure, slices, bands, size);
    if (!status.ok())
        return status;
    const std::size_t columns = std::size_t(bands) + 1;
    if (position_capacity < size.vertex_count || triangle_capacity < size.triangle_count)
        return runtime::refused("the buffers are too small for the closed mesh");

    const bool ring = closure == Closure::ring;
    // A ring keeps every row; a ball its first pole, the rows but the last, and that row's pole.
    const std::int32_t kept_rows = ring ? slices : slices - 1, first_kept = ring ? 0 : 1;
    const std::int32_t last = static_cast<std::int32_t>(size.vertex_count - 1);
    if (!ring) {
        positions[0] = first_pole;
        positions[last] = grid[(slices - 1) * columns];
    }
    for (std::int32_t row = 0; row < kept_rows; ++row)
        for (std::int32_t column = 0; column < bands; ++column)
            positions[first_kept + row * bands + column] = grid[row * columns + column];
    const long long bad = first_non_finite(positions, size.vertex_count);
    if (bad >= 0)
        return not_finite(closed_position(closure, bad, slices, bands));

    // Closed-mesh index of grid vertex (row, column); a ball's row -1 is the
    // added pole, a ring's row `slices` its first row again.
    const auto index = [&](std::int32_t row, std::int32_t column) -> std::int32_t {
        const std::int32_t welded = column == bands ? 0 : column;
        if (ring)
            return (row == slices ? 0 : row) * bands + welded;
        if (row < 0)
            return 0;
        if (row == slices - 1)
            return last;
        return 1 + row * bands + welded;
    };
    std::size_t count = 0;
    const auto emit = [&](std::int32_t p, std::int32_t q, std::int32_t r) {
        if (p != q && q != r && r != p)
            triangles[count++] = {p, q, r};
    };
    for (std::int32_t row = ring ? 0 : -1; row < kept_rows; ++row) {
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

// `value`, above 0, rounded up to two significant digits: a torus to type.
double rounded_up(double value)
{
    const double unit = std::pow(10.0, std::floor(std::log10(value)) - 1);
    return std::ceil(value / unit) * unit;
}

// Why the mesh formats refuse `formula` over `slices` rows before its grid
// is closed: a twisted ring, or a ring whose tube reaches its axis.
Status shape_refusal(const Nsupershape::Formula& formula, std::int32_t slices)
{
    if (const std::string refused = Nsupershape::refusal(formula); !refused.empty())
        return runtime::refused(refused);
    if (!Nsupershape::is_ring(formula) || slices < ring_min_slices)
        return {};
    // An infinite radius is refused as a coordinate that is not finite.
    const double reach = Nsupershape::tube_reach(formula, slices);
    if (std::isfinite(reach) && double(formula.torus) <= reach)
        return runtime::refused("the ring's tube crosses its axis at torus " + params::shortest_text(formula.torus) +
                                "; raise torus above " + params::shortest_text(static_cast<float>(rounded_up(reach))));
    return {};
}

// The closed mesh over `grid` for `formula`, with `pole` for a ball, into
// `mesh`, whose storage is kept; empty after a refusal.
Status close_grid(const Tvector3* grid, std::int32_t slices, std::int32_t bands, const Nsupershape::Formula& formula,
                  const Tvector3& pole, Triangle_mesh& mesh)
{
    const Closure closure = Nsupershape::is_ring(formula) ? Closure::ring : Closure::poles;
    Mesh_size size;
    Status status = mesh_size(closure, slices, bands, size);
    if (status.ok())
        status = shape_refusal(formula, slices);
    if (status.ok()) {
        mesh.positions.resize(size.vertex_count);
        mesh.triangles.resize(size.triangle_count);
        status = fill(closure, grid, slices, bands, pole, mesh.positions.data(), mesh.positions.size(),
                      mesh.triangles.data(), mesh.triangles.size(), nullptr);
    }
    if (!status.ok())
        mesh.clear();
    return status;
}

} // namespace

Status closed_mesh_size(std::int32_t slices, std::int32_t bands, Mesh_size& size)
{
    return mesh_size(Closure::poles, slices, bands, size);
}

Status fill_closed_mesh(const Tvector3* grid, std::int32_t slices, std::int32_t bands, const Tvector3& first_pole,
                        Tvector3* positions, std::size_t position_capacity, Ttriangle* triangles,
                        std::size_t triangle_capacity, Mesh_size* written)
{
    return fill(Closure::poles, grid, slices, bands, first_pole, positions, position_capacity, triangles,
                triangle_capacity, written);
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
    const Nsupershape::Formula formula = Nsupershape::formula_of(params);
    Mesh_size size;
    const Closure closure = Nsupershape::is_ring(formula) ? Closure::ring : Closure::poles;
    if (const Status status = mesh_size(closure, params.slices, params.bands, size); !status.ok()) {
        mesh.clear();
        return status;
    }
    grid.resize(Nsupershape::grid_size(params.slices, params.bands).vertex_count);
    Nsupershape::build_as_reset(params, grid.data(), nullptr);
    return close_grid(grid.data(), params.slices, params.bands, formula, first_pole(formula, params.scale, ""), mesh);
}

Status build_closed_mesh(const Tparams& params, Triangle_mesh& mesh)
{
    std::vector<Tvector3> grid;
    return build_closed_mesh(params, mesh, grid);
}

Status build_lit_surface(const Tvector3* grid, std::int32_t slices, std::int32_t bands,
                         const Nsupershape::Formula& formula, float scale, std::string_view swaps, Lit_surface& surface)
{
    const Status status = close_grid(grid, slices, bands, formula, first_pole(formula, scale, swaps), surface.mesh);
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
