// The supershape's record, storage, triangle list, formula evaluation and
// in-place edits. Drawing is in Tsupershape_draw.cpp.
#include "shape/Tsupershape.h"

#include "runtime/fatal_error.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace Nsupershape {
namespace {

constexpr float pi_f = 3.14159265358979323846f;
constexpr float two_pi_f = 6.28318530717958647692f;

// Columns whose per-column terms are kept on the stack at once; wider grids
// are evaluated in strips of this many columns.
constexpr int column_chunk = 1024;

const runtime::Error_site storage_site{"Tsupershape", "model_init"};

template <class T>
Mesh_array<T> allocate_zeroed(long long count)
{
    if (count <= 0)
        return nullptr;
    return Mesh_array<T>(static_cast<T*>(std::calloc(static_cast<std::size_t>(count), sizeof(T))));
}

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

// What one row of the grid shares: the per-column terms cos(theta) r2 and
// sin(theta) r2, and the row's own r1, cos(phi), y and the radius.
struct Row_terms {
    const double* cos_r2;
    const double* sin_r2;
    double r1, cos_phi;
    float y;
    double radius;
};

// Wider vectors pay off here where the processor has them; every clone
// computes the same roundings, since nothing is fused or reordered.
#if defined(__x86_64__) && defined(__ELF__) && (defined(__GNUC__) || defined(__clang__))
#define SUPERSHAPE_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define SUPERSHAPE_VECTOR_CLONES
#endif

// Positions and normals of `count` vertices of one row. The coordinates and
// inverse lengths go through separate runs so that each step is a simple
// vector loop.
SUPERSHAPE_VECTOR_CLONES
void evaluate_row(const Row_terms& row, int count, Tvector3* positions, Tvector3* normals)
{
    float xs[column_chunk];
    float zs[column_chunk];
    float inverse_lengths[column_chunk];
    for (int j = 0; j < count; ++j)
        xs[j] = static_cast<float>(row.cos_r2[j] * row.r1 * row.cos_phi * row.radius);
    for (int j = 0; j < count; ++j)
        zs[j] = static_cast<float>(row.sin_r2[j] * row.r1 * row.cos_phi * row.radius);
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

Tsupershape::Tsupershape()
{
    set_defaults();
    full_build();
}

Tsupershape::Tsupershape(float radius, std::int32_t slices, std::int32_t bands, float a, float b,
                         float m, float n1, float n2, float n3)
{
    store_parameters(radius, a, b, m, n1, n2, n3);
    this->slices = slices;
    this->bands = bands;
    full_build();
}

Tsupershape::~Tsupershape()
{
    model_destroy();
    delete_list();
}

void (*Tsupershape::list_deleter)(std::uint32_t list) = nullptr;

void Tsupershape::delete_list()
{
    if (display_list != 0 && list_deleter)
        list_deleter(display_list);
    display_list = 0;
}

// A zero divisor or exponent gives infinities or NaN, which are kept.
float Tsupershape::radius_at(float t) const
{
    const double u = static_cast<double>(t) * m / 4.0;
    const float t1 = static_cast<float>(std::pow(std::fabs(std::cos(u) / a), double(n2)));
    const float t2 = static_cast<float>(std::pow(std::fabs(std::sin(u) / b), double(n3)));
    return static_cast<float>(std::pow(double(t2) + double(t1), -1.0 / n1));
}

void Tsupershape::set_defaults()
{
    slices = 8;
    bands = 8;
    store_parameters(1.0f, 1.0f, 1.0f, 4.0f, 0.3f, 1.0f, 1.0f);
}

void Tsupershape::store_parameters(float radius, float a, float b, float m, float n1, float n2,
                                   float n3)
{
    this->radius = radius;
    this->a = a;
    this->b = b;
    this->m = m;
    this->n1 = n1;
    this->n2 = n2;
    this->n3 = n3;
}

void Tsupershape::model_init()
{
    const long long triangles_needed = 2LL * vertex_count;
    if (triangles_needed > INT32_MAX)
        out_of_memory();
    triangle_count = static_cast<std::int32_t>(triangles_needed);
    vertices = allocate_zeroed<Tvector3>(vertex_count);
    normals = allocate_zeroed<Tvector3>(vertex_count);
    colors = allocate_zeroed<Tcolor>(vertex_count);
    triangles = allocate_zeroed<Ttriangle>(triangle_count);
    if (vertex_count > 0 && !(vertices && normals && colors && triangles))
        out_of_memory();
}

// Leaves no half-allocated mesh behind: the object stays a valid empty shape.
void Tsupershape::out_of_memory()
{
    model_destroy();
    throw runtime::Failure(runtime::out_of_memory, storage_site);
}

void Tsupershape::model_destroy()
{
    triangle_count = 0;
    vertex_count = 0;
    vertices.reset();
    normals.reset();
    colors.reset();
    triangles.reset();
}

void Tsupershape::model_tesselate(std::int32_t slices, std::int32_t bands)
{
    const long long n = vertex_count;
    if (n <= 0)
        return;
    long long d = 0;
    for (long long i = 0; i < slices; ++i) {
        const long long f = i * bands;
        for (long long j = 0; j <= bands; ++j) {
            // Arguments other than the object's own grid must not run past the list.
            if (d + 2 > triangle_count)
                return;
            const long long p = f + j;
            const auto index = [n](long long value) { return static_cast<std::int32_t>(value % n); };
            triangles[d] = {index(p + bands + 1), index(p + bands), index(p)};
            triangles[d + 1] = {index(p), index(p + 1), index(p + bands + 1)};
            d += 2;
        }
    }
}

// Both angles are single-precision accumulators, so the columns run through
// the same angles in every row: the per-column terms are computed once and
// each vertex costs a few multiplications and one square root.
void Tsupershape::set_shape()
{
    const long long columns = static_cast<long long>(bands) + 1;
    if (slices <= 0 || columns <= 0)
        return;
    const long long rows = std::min<long long>(slices, vertex_count / columns);
    const float d_theta = static_cast<float>(double(two_pi_f) / bands);
    const float d_phi = static_cast<float>(double(pi_f) / slices);
    const double scale_radius = radius;

    double cos_r2[column_chunk];
    double sin_r2[column_chunk];
    float strip_theta = -pi_f;
    for (long long first = 0; first < columns; first += column_chunk) {
        const int count = static_cast<int>(std::min<long long>(column_chunk, columns - first));
        float theta = strip_theta;
        for (int j = 0; j < count; ++j) {
            theta += d_theta;
            const double r2 = radius_at(theta);
            cos_r2[j] = std::cos(double(theta)) * r2;
            sin_r2[j] = std::sin(double(theta)) * r2;
        }
        strip_theta = theta;

        float phi = -pi_f / 2;
        for (long long i = 0; i < rows; ++i) {
            phi += d_phi;
            const double r1 = radius_at(phi);
            const double cos_phi = std::cos(double(phi));
            const float y = static_cast<float>(-r1 * std::sin(double(phi)) * scale_radius);
            evaluate_row({cos_r2, sin_r2, r1, cos_phi, y, scale_radius}, count,
                         &vertices[i * columns + first], &normals[i * columns + first]);
        }
    }
}

void Tsupershape::full_build()
{
    display_list = 0;
    const long long count = (static_cast<long long>(bands) + 1) * slices;
    if (count > INT32_MAX || count < INT32_MIN)
        out_of_memory();
    vertex_count = static_cast<std::int32_t>(count);
    model_init();
    model_tesselate(slices, bands);
    set_shape();
    fill_color_pattern();
}

// Remainders of 2i, 3i and 5i by 6, the whole number nearest 2 pi; the
// pattern repeats every six vertices.
void Tsupershape::fill_color_pattern()
{
    static constexpr Tcolor pattern[6] = {
        {0, 0, 0, 1}, {2, 3, 5, 1}, {4, 0, 4, 1}, {0, 3, 3, 1}, {2, 0, 2, 1}, {4, 3, 1, 1},
    };
    for (std::int32_t i = 0; i < vertex_count; ++i)
        colors[i] = pattern[i % 6];
}

void Tsupershape::reload(float radius, std::int32_t slices, std::int32_t bands, float a, float b,
                         float m, float n1, float n2, float n3)
{
    model_destroy();
    delete_list();
    store_parameters(radius, a, b, m, n1, n2, n3);
    this->slices = slices;
    this->bands = bands;
    full_build();
}

void Tsupershape::reset_shape(float radius, std::int32_t, std::int32_t, float a, float b, float m,
                              float n1, float n2, float n3)
{
    store_parameters(radius, a, b, m, n1, n2, n3);
    set_shape();
}

void Tsupershape::swap_axis(std::int32_t axis)
{
    float Tvector3::*first;
    float Tvector3::*second;
    switch (axis) {
    case 0: first = &Tvector3::x; second = &Tvector3::y; break;
    case 1: first = &Tvector3::x; second = &Tvector3::z; break;
    case 2: first = &Tvector3::y; second = &Tvector3::z; break;
    default: return;
    }
    for (std::int32_t i = 0; i < vertex_count; ++i)
        std::swap(vertices[i].*first, vertices[i].*second);
}

void Tsupershape::scale(float sx, float sy, float sz)
{
    for (std::int32_t i = 0; i < vertex_count; ++i) {
        vertices[i].x *= sx;
        vertices[i].y *= sy;
        vertices[i].z *= sz;
    }
}

void Tsupershape::set_color(float r, float g, float b, float a)
{
    std::fill_n(colors.get(), std::max(vertex_count, 0), Tcolor{r, g, b, a});
}

} // namespace Nsupershape
