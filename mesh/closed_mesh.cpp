// The closed mesh over the editor's grid: the poles, the welded seam, the
// quads between rows and the winding; and the raw grid's view.
#include "mesh/closed_mesh.h"

#include "app/Tparams.h"
#include "mesh/statistics.h"
#include "runtime/fatal_error.h"

#include <climits>
#include <cmath>
#include <new>

using Nsupershape::Tsupershape;

namespace mesh {
namespace {

// The model's own single-precision pi, so that the added pole lies at the
// angle its rows count from.
constexpr float pi_f = 3.14159265358979323846f;

const runtime::Error_site build_site{"mesh", "build_closed_mesh"};

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
    return {"a coordinate is not a finite number (" + where + ")"};
}

// The refusal shared by both meshes once the positions are known.
Status check_area(const Surface_integrals& integrals)
{
    if (!(integrals.area > 0))
        return {"the shape has no area"};
    return {};
}

} // namespace

void reset_like_editor(Tsupershape& shape, const Tparams& params)
{
    shape.reload(params.radius, params.slices, params.bands, params.a, params.b, params.m,
                 params.n1, params.n2, params.n3);
    shape.scale(params.scale, params.scale, params.scale);
}

Status closed_mesh_size(std::int32_t slices, std::int32_t bands, Mesh_size& size)
{
    size = {};
    if (slices < 2)
        return {"one row has no area: slices must be at least 2"};
    if (bands < 3)
        return {"fewer than 3 bands enclose no volume"};
    const long long rings = slices - 1LL;
    const long long vertices = 2 + rings * bands;
    const long long triangles = 2 * rings * bands;
    if (triangles > INT32_MAX)
        return {"the grid is too large"};
    size = {static_cast<std::int32_t>(vertices), static_cast<std::int32_t>(triangles)};
    return {};
}

Status fill_closed_mesh(const Tsupershape& shape, float scale, Tvector3* positions,
                        std::size_t position_capacity, Ttriangle* triangles,
                        std::size_t triangle_capacity, Mesh_size* written)
{
    if (written)
        *written = {};
    Mesh_size size;
    Status status = closed_mesh_size(shape.slices, shape.bands, size);
    if (!status.ok())
        return status;
    const std::int32_t slices = shape.slices;
    const std::int32_t bands = shape.bands;
    const long long columns = static_cast<long long>(bands) + 1;
    if (shape.vertex_count != columns * slices)
        return {"the shape holds no grid"};
    if (position_capacity < std::size_t(size.vertex_count) ||
        triangle_capacity < std::size_t(size.triangle_count))
        return {"the buffers are too small for the closed mesh"};

    // The pole the grid lacks, its y computed as set_shape computes a row's.
    const float phi = -pi_f / 2;
    const double r1 = shape.radius_at(phi);
    const float pole_y = static_cast<float>(-r1 * std::sin(double(phi)) * double(shape.radius));
    positions[0] = {0.0f, pole_y * scale, 0.0f};
    const std::int32_t last = size.vertex_count - 1;
    for (std::int32_t row = 0; row + 1 < slices; ++row)
        for (std::int32_t column = 0; column < bands; ++column)
            positions[1 + row * bands + column] = shape.vertices[row * columns + column];
    positions[last] = shape.vertices[(slices - 1) * columns];
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

    const Surface_integrals integrals =
        surface_integrals({positions, std::size_t(size.vertex_count), triangles, count});
    status = check_area(integrals);
    if (!status.ok())
        return status;
    if (integrals.volume == 0)
        return {"the shape encloses no volume"};
    if (integrals.volume < 0)
        for (std::size_t t = 0; t < count; ++t)
            std::swap(triangles[t].i1, triangles[t].i2);
    if (written)
        *written = size;
    return {};
}

Mesh_view Closed_mesh::view() const
{
    return {positions.data(), positions.size(), triangles.data(), triangles.size()};
}

Status build_closed_mesh(const Tsupershape& shape, float scale, Closed_mesh& mesh)
{
    mesh = {};
    Mesh_size size;
    Status status = closed_mesh_size(shape.slices, shape.bands, size);
    if (!status.ok())
        return status;
    try {
        mesh.positions.resize(std::size_t(size.vertex_count));
        mesh.triangles.resize(std::size_t(size.triangle_count));
    } catch (const std::bad_alloc&) {
        mesh = {};
        throw runtime::Failure(runtime::out_of_memory, build_site);
    }
    status = fill_closed_mesh(shape, scale, mesh.positions.data(), mesh.positions.size(),
                              mesh.triangles.data(), mesh.triangles.size());
    if (!status.ok())
        mesh = {};
    return status;
}

Status raw_view(const Tsupershape& shape, Mesh_view& view)
{
    view = {};
    if (shape.slices < 2)
        return {"one row has no area: slices must be at least 2"};
    if (shape.vertex_count <= 0 || shape.triangle_count <= 0)
        return {"the shape holds no grid"};
    const long long bad = first_non_finite(shape.vertices.get(), shape.vertex_count);
    const long long columns = static_cast<long long>(shape.bands) + 1;
    if (bad >= 0)
        return not_finite(grid_position(bad / columns, bad % columns));
    const Mesh_view raw{shape.vertices.get(), std::size_t(shape.vertex_count),
                        shape.triangles.get(), std::size_t(shape.triangle_count)};
    Status status = check_area(surface_integrals(raw));
    if (status.ok())
        view = raw;
    return status;
}

} // namespace mesh
