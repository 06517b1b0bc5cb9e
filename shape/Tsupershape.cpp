// The supershape's record, storage and in-place edits, over the grid's plain
// computation (grid.cpp). Drawing is in Tsupershape_draw.cpp.
#include "shape/Tsupershape.h"

#include "runtime/fatal_error.h"

#include <algorithm>
#include <climits>

namespace Nsupershape {
namespace {

const runtime::Error_site storage_site{"Tsupershape", "model_init"};

template <class T>
Mesh_array<T> allocate_zeroed(long long count)
{
    if (count <= 0)
        return nullptr;
    return Mesh_array<T>(static_cast<T*>(std::calloc(static_cast<std::size_t>(count), sizeof(T))));
}

// The named shape parameters beside their places in a Formula, listed once
// for both directions: `move(member, packed)` for each.
template <class Shape, class Packed, class Move>
void each_parameter(Shape& shape, Packed& formula, Move move)
{
    move(shape.a, formula.longitude.a);
    move(shape.b, formula.longitude.b);
    move(shape.m, formula.longitude.m);
    move(shape.n1, formula.longitude.n1);
    move(shape.n2, formula.longitude.n2);
    move(shape.n3, formula.longitude.n3);
    move(shape.radius, formula.radius);
    move(shape.a2, formula.latitude.a);
    move(shape.b2, formula.latitude.b);
    move(shape.m2, formula.latitude.m);
    move(shape.n1_2, formula.latitude.n1);
    move(shape.n2_2, formula.latitude.n2);
    move(shape.n3_2, formula.latitude.n3);
    move(shape.torus, formula.torus);
    move(shape.twist, formula.twist);
}

// A Formula of the given values, one set for both angles.
Formula one_set(float radius, float a, float b, float m, float n1, float n2, float n3)
{
    return {{a, b, m, n1, n2, n3}, {a, b, m, n1, n2, n3}, radius};
}

// Counts as the arrays hold them: none for an empty or negative grid.
std::size_t held(std::int32_t count)
{
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

} // namespace

Tsupershape::Tsupershape()
{
    set_defaults();
    full_build();
}

Tsupershape::Tsupershape(float radius, std::int32_t slices, std::int32_t bands, float a, float b, float m, float n1,
                         float n2, float n3)
{
    store(one_set(radius, a, b, m, n1, n2, n3));
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

float Tsupershape::radius_at(float t) const
{
    return Nsupershape::radius_at(formula().longitude, t);
}

Formula Tsupershape::formula() const
{
    Formula packed;
    each_parameter(*this, packed, [](const float& member, float& value) { value = member; });
    return packed;
}

void Tsupershape::store(const Formula& formula)
{
    each_parameter(*this, formula, [](float& member, const float& value) { member = value; });
}

void Tsupershape::set_defaults()
{
    slices = 8;
    bands = 8;
    store(one_set(1.0f, 1.0f, 1.0f, 4.0f, 0.3f, 1.0f, 1.0f));
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
    tesselate_grid(slices, bands, held(vertex_count), triangles.get(), held(triangle_count));
}

void Tsupershape::set_shape()
{
    evaluate_grid(formula(), slices, bands, held(vertex_count), vertices.get(), normals.get());
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

void Tsupershape::reload(const Formula& formula, std::int32_t slices, std::int32_t bands)
{
    model_destroy();
    delete_list();
    store(formula);
    this->slices = slices;
    this->bands = bands;
    full_build();
}

void Tsupershape::reload(float radius, std::int32_t slices, std::int32_t bands, float a, float b, float m, float n1,
                         float n2, float n3)
{
    reload(one_set(radius, a, b, m, n1, n2, n3), slices, bands);
}

void Tsupershape::reload2(float radius, std::int32_t slices, std::int32_t bands, float a, float b, float m, float n1,
                          float n2, float n3, float a2, float b2, float m2, float n1_2, float n2_2, float n3_2)
{
    reload({{a, b, m, n1, n2, n3}, {a2, b2, m2, n1_2, n2_2, n3_2}, radius}, slices, bands);
}

void Tsupershape::reset_shape(const Formula& formula)
{
    store(formula);
    set_shape();
}

void Tsupershape::reset_shape(float radius, std::int32_t, std::int32_t, float a, float b, float m, float n1, float n2,
                              float n3)
{
    reset_shape(one_set(radius, a, b, m, n1, n2, n3));
}

void Tsupershape::reset_shape2(float radius, std::int32_t, std::int32_t, float a, float b, float m, float n1, float n2,
                               float n3, float a2, float b2, float m2, float n1_2, float n2_2, float n3_2)
{
    reset_shape({{a, b, m, n1, n2, n3}, {a2, b2, m2, n1_2, n2_2, n3_2}, radius});
}

void Tsupershape::set_torus(float value)
{
    torus = value;
    set_shape();
}

void Tsupershape::set_twist(float value)
{
    twist = value;
    set_shape();
}

void Tsupershape::swap_axis(std::int32_t axis)
{
    swap_positions(vertices.get(), held(vertex_count), axis);
}

void Tsupershape::scale(float sx, float sy, float sz)
{
    scale_positions(vertices.get(), held(vertex_count), sx, sy, sz);
}

Mesh_view view_of(const Tsupershape& shape)
{
    return {shape.vertices.get(), held(shape.vertex_count), shape.triangles.get(), held(shape.triangle_count)};
}

void Tsupershape::set_color(float r, float g, float b, float a)
{
    std::fill_n(colors.get(), held(vertex_count), Tcolor{r, g, b, a});
}

} // namespace Nsupershape
