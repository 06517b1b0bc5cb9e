// The superformula over the grid, fast and exact: every vertex rounds as the
// formula evaluated vertex by vertex does.
#include "shape/grid.h"

#include "params/fields.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace Nsupershape {
namespace {

constexpr float pi_f = 3.14159265358979323846f;
constexpr float two_pi_f = 6.28318530717958647692f;

// A set's members in the order of params::first_set.
constexpr float Superformula::*set_members[] = {&Superformula::a,  &Superformula::b,  &Superformula::m,
                                                &Superformula::n1, &Superformula::n2, &Superformula::n3};
static_assert(std::size(set_members) == std::size(params::first_set), "a set has a member for each field");

// Columns whose per-column terms are kept on the stack at once; wider grids
// are evaluated in strips of this many columns.
constexpr int column_chunk = 1024;

// The unit vector from the centre; (0, 0, 1) when the inverse length is 0 or
// not a number. A vertex at the origin has an infinite inverse length and so
// gets NaN components. Written without branches so the row loop vectorises.
Tvector3 radial_normal(const Tvector3& position, float inv)
{
    // The square root is never negative, so this is false exactly for 0 and NaN.
    const bool usable = inv > 0.0f;
    const Tvector3 scaled{position.x * inv, position.y * inv, position.z * inv};
    return {usable ? scaled.x : 0.0f, usable ? scaled.y : 0.0f, usable ? scaled.z : 1.0f};
}

// A row's y at angle `phi`, whose radius is `r1`.
float row_y(double r1, float phi, double radius)
{
    return static_cast<float>(-r1 * std::sin(double(phi)) * radius);
}

// What one row of the grid shares: the per-column terms cos(theta) r2 and
// sin(theta) r2, and the row's own r1, cos(phi), y and the radius. A ring's
// row has torus + r1 cos(phi) for r1 and 1 for cos(phi), which multiplies
// exactly. A twisted row is turned by the angle whose cosine and sine follow.
struct Row_terms {
    const double* cos_r2;
    const double* sin_r2;
    double r1, cos_phi;
    float y;
    double radius;
    bool turned = false;
    double turn_cos = 1, turn_sin = 0;
};

// The angle in radians that a twist of `twist` degrees turns the row at `phi`:
// its share of the way from the bottom pole to the top one.
double turn_at(float twist, float phi)
{
    constexpr double pi = 3.14159265358979323846;
    return double(twist) * ((double(phi) + pi / 2) / pi) * (pi / 180);
}

// Wider vectors pay off here where the processor has them; every clone
// computes the same roundings, since nothing is fused or reordered.
#if defined(__x86_64__) && defined(__ELF__) && (defined(__GNUC__) || defined(__clang__))
#define SUPERSHAPE_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define SUPERSHAPE_VECTOR_CLONES
#endif

// Positions, and normals unless null, of `count` vertices of one row. The
// coordinates and inverse lengths go through separate runs so that each step
// is a simple vector loop.
SUPERSHAPE_VECTOR_CLONES
void evaluate_row(const Row_terms& row, int count, Tvector3* positions, Tvector3* normals)
{
    float xs[column_chunk];
    float zs[column_chunk];
    for (int j = 0; j < count; ++j)
        xs[j] = static_cast<float>(row.cos_r2[j] * row.r1 * row.cos_phi * row.radius);
    for (int j = 0; j < count; ++j)
        zs[j] = static_cast<float>(row.sin_r2[j] * row.r1 * row.cos_phi * row.radius);
    if (row.turned) {
        for (int j = 0; j < count; ++j) {
            const double x = xs[j], z = zs[j];
            xs[j] = static_cast<float>(x * row.turn_cos + z * row.turn_sin);
            zs[j] = static_cast<float>(z * row.turn_cos - x * row.turn_sin);
        }
    }
    if (normals == nullptr) {
        for (int j = 0; j < count; ++j)
            positions[j] = {xs[j], row.y, zs[j]};
        return;
    }
    float inverse_lengths[column_chunk];
    const double y_squared = double(row.y) * row.y;
    for (int j = 0; j < count; ++j) {
        const double length_squared = double(xs[j]) * xs[j] + y_squared + double(zs[j]) * zs[j];
        inverse_lengths[j] = static_cast<float>(1.0 / std::sqrt(length_squared));
    }
    for (int j = 0; j < count; ++j) {
        positions[j] = {xs[j], row.y, zs[j]};
        normals[j] = radial_normal(positions[j], inverse_lengths[j]);
    }
}

} // namespace

Formula formula_of(const Tparams& params)
{
    Formula formula;
    formula.radius = params.radius;
    for (std::size_t k = 0; k < std::size(params::first_set); ++k)
        formula.longitude.*set_members[k] = params.*params::first_set[k].number;
    formula.latitude = formula.longitude;
    formula.torus = params.torus;
    formula.twist = params.twist;
    if (params.sets_linked != 0)
        return formula;
    for (const params::Field& field : params::saved_fields)
        for (std::size_t k = 0; k < std::size(params::first_set); ++k)
            if (field.group == params::Group::second_set && field.first_set_twin == params::first_set[k].number)
                formula.latitude.*set_members[k] = params.*field.number;
    return formula;
}

bool is_ring(const Formula& formula)
{
    return formula.torus > 0;
}

std::string refusal(const Formula& formula)
{
    if (is_ring(formula) && formula.twist != 0)
        return "a ring takes no twist: torus " + params::shortest_text(formula.torus) + " with twist " +
               params::shortest_text(formula.twist) + "; set one of them to 0";
    return "";
}

float radius_at(const Superformula& set, float t)
{
    const double u = static_cast<double>(t) * set.m / 4.0;
    const float t1 = static_cast<float>(std::pow(std::fabs(std::cos(u) / set.a), double(set.n2)));
    const float t2 = static_cast<float>(std::pow(std::fabs(std::sin(u) / set.b), double(set.n3)));
    return static_cast<float>(std::pow(double(t2) + double(t1), -1.0 / set.n1));
}

Mesh_size grid_size(std::int32_t slices, std::int32_t bands)
{
    if (slices < 1 || bands < 0)
        return {};
    const std::size_t vertices = std::size_t(slices) * (std::size_t(bands) + 1);
    return {vertices, 2 * vertices};
}

// Both angles are single-precision accumulators, so the columns run through
// the same angles in every row: the per-column terms are computed once and
// each vertex costs a few multiplications and one square root.
void evaluate_grid(const Formula& formula, std::int32_t slices, std::int32_t bands, std::size_t capacity,
                   Tvector3* positions, Tvector3* normals)
{
    if (slices < 1 || bands < 0)
        return;
    const std::size_t columns = std::size_t(bands) + 1;
    const std::size_t rows = std::min<std::size_t>(std::size_t(slices), capacity / columns);
    const float d_theta = static_cast<float>(double(two_pi_f) / bands);
    const bool ring = is_ring(formula);
    const float d_phi = static_cast<float>(double(ring ? two_pi_f : pi_f) / slices);
    const double scale_radius = formula.radius;
    // At 0 nothing is turned, so that an infinite coordinate stays as it is.
    const bool turned = !ring && formula.twist != 0;

    double cos_r2[column_chunk];
    double sin_r2[column_chunk];
    float strip_theta = -pi_f;
    for (std::size_t first = 0; first < columns; first += column_chunk) {
        const int count = static_cast<int>(std::min<std::size_t>(column_chunk, columns - first));
        float theta = strip_theta;
        for (int j = 0; j < count; ++j) {
            theta += d_theta;
            const double r2 = radius_at(formula.longitude, theta);
            cos_r2[j] = std::cos(double(theta)) * r2;
            sin_r2[j] = std::sin(double(theta)) * r2;
        }
        strip_theta = theta;

        float phi = -pi_f / 2;
        for (std::size_t i = 0; i < rows; ++i) {
            phi += d_phi;
            const double r1 = radius_at(formula.latitude, phi);
            const double cos_phi = std::cos(double(phi));
            const std::size_t at = i * columns + first;
            Row_terms row{cos_r2, sin_r2, r1, cos_phi, row_y(r1, phi, scale_radius), scale_radius};
            if (ring) {
                row.r1 = double(formula.torus) + r1 * cos_phi;
                row.cos_phi = 1.0;
            }
            if (turned) {
                const double angle = turn_at(formula.twist, phi);
                row.turned = true;
                row.turn_cos = std::cos(angle);
                row.turn_sin = std::sin(angle);
            }
            evaluate_row(row, count, positions + at, normals ? normals + at : nullptr);
        }
    }
}

float first_pole_y(const Formula& formula)
{
    const float phi = -pi_f / 2;
    return row_y(radius_at(formula.latitude, phi), phi, formula.radius);
}

double tube_reach(const Formula& formula, std::int32_t slices)
{
    double reach = -INFINITY;
    const float d_phi = static_cast<float>(double(two_pi_f) / slices);
    float phi = -pi_f / 2;
    for (std::int32_t i = 0; i < slices; ++i) {
        phi += d_phi;
        const double r1 = radius_at(formula.latitude, phi);
        const double inward = -(r1 * std::cos(double(phi)));
        if (std::isnan(inward))
            return inward;
        reach = std::max(reach, inward);
    }
    return reach;
}

void tesselate_grid(std::int32_t slices, std::int32_t bands, std::size_t vertex_count, Ttriangle* triangles,
                    std::size_t capacity)
{
    const long long n = static_cast<long long>(vertex_count);
    if (n <= 0)
        return;
    const auto index = [n](long long value) { return static_cast<std::int32_t>(value % n); };
    std::size_t d = 0;
    for (long long i = 0; i < slices; ++i) {
        const long long f = i * bands;
        for (long long j = 0; j <= bands; ++j) {
            if (d + 2 > capacity)
                return;
            const long long p = f + j;
            triangles[d] = {index(p + bands + 1), index(p + bands), index(p)};
            triangles[d + 1] = {index(p), index(p + 1), index(p + bands + 1)};
            d += 2;
        }
    }
}

void scale_positions(Tvector3* positions, std::size_t count, float sx, float sy, float sz)
{
    for (std::size_t i = 0; i < count; ++i) {
        positions[i].x *= sx;
        positions[i].y *= sy;
        positions[i].z *= sz;
    }
}

void swap_positions(Tvector3* positions, std::size_t count, std::int32_t axis)
{
    float Tvector3::*first;
    float Tvector3::*second;
    switch (axis) {
    case 0:
        first = &Tvector3::x;
        second = &Tvector3::y;
        break;
    case 1:
        first = &Tvector3::x;
        second = &Tvector3::z;
        break;
    case 2:
        first = &Tvector3::y;
        second = &Tvector3::z;
        break;
    default: return;
    }
    for (std::size_t i = 0; i < count; ++i)
        std::swap(positions[i].*first, positions[i].*second);
}

void build_as_reset(const Tparams& params, Tvector3* positions, Ttriangle* triangles)
{
    const Mesh_size size = grid_size(params.slices, params.bands);
    if (positions) {
        evaluate_grid(formula_of(params), params.slices, params.bands, size.vertex_count, positions, nullptr);
        scale_positions(positions, size.vertex_count, params.scale, params.scale, params.scale);
    }
    if (triangles)
        tesselate_grid(params.slices, params.bands, size.vertex_count, triangles, size.triangle_count);
}

} // namespace Nsupershape
