// The supershape: a vertex grid from the superformula, radial normals, a
// colour per vertex and a triangle list, drawn as one wire strip.
#pragma once

#include "shape/grid.h"
#include "shape/mesh_view.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace Nsupershape {

struct Free_deleter {
    void operator()(void* block) const { std::free(block); }
};

template <class T>
using Mesh_array = std::unique_ptr<T[], Free_deleter>;

class Tsupershape {
public:
    // Shape parameters, as formula() packs them: the columns' set (longitude),
    // `radius`, which scales every coordinate, and the rows' set (latitude),
    // which the one-set calls make the first.
    float a = 0, b = 0, m = 0, n1 = 0, n2 = 0, n3 = 0, radius = 0;
    float a2 = 0, b2 = 0, m2 = 0, n1_2 = 0, n2_2 = 0, n3_2 = 0;
    // A ring's torus and a ball's twist (grid.h); the reload calls that take the
    // values in a row leave both 0.
    float torus = 0, twist = 0;
    // The grid has `slices` rows of `bands` + 1 vertices.
    std::int32_t slices = 0, bands = 0;
    // GL display-list name; 0 when there is none.
    std::uint32_t display_list = 0;
    std::int32_t vertex_count = 0, triangle_count = 0;
    Mesh_array<Tvector3> vertices;
    Mesh_array<Tvector3> normals;
    Mesh_array<Ttriangle> triangles;
    Mesh_array<Tcolor> colors;

    // The 8 x 8 default shape.
    Tsupershape();
    Tsupershape(float radius, std::int32_t slices, std::int32_t bands, float a, float b, float m, float n1, float n2,
                float n3);
    // Deletes the display list, so it needs the GL context when one exists.
    ~Tsupershape();

    // The object owns its arrays and a GL list.
    Tsupershape(const Tsupershape&) = delete;
    Tsupershape& operator=(const Tsupershape&) = delete;

    void set_defaults();
    // Allocates the four arrays for `vertex_count`, zero-filled. When they
    // cannot be had it throws runtime::Failure (error 4) and leaves the shape
    // empty. Callers hold no arrays when they call it.
    void model_init();
    void model_destroy();
    // Fills `triangles`; the list's row stride is `bands`, and indices wrap
    // modulo `vertex_count`.
    void model_tesselate(std::int32_t slices, std::int32_t bands);
    // Evaluates the superformula into `vertices` and `normals`.
    void set_shape();
    // The superformula's radius at angle `t` (radians) for the shape's first
    // set, exactly as each column is evaluated.
    float radius_at(float t) const;

    // The shape parameters as one record.
    Formula formula() const;

    // Full rebuild for new parameters: new arrays, triangles, positions,
    // the colour pattern, and no display list. Throws as model_init does.
    void reload(const Formula& formula, std::int32_t slices, std::int32_t bands);
    // The same with one set for both angles, as a saved snippet calls it.
    void reload(float radius, std::int32_t slices, std::int32_t bands, float a, float b, float m, float n1, float n2,
                float n3);
    // The same with a set of its own for the rows.
    void reload2(float radius, std::int32_t slices, std::int32_t bands, float a, float b, float m, float n1, float n2,
                 float n3, float a2, float b2, float m2, float n1_2, float n2_2, float n3_2);
    // Re-evaluates positions and normals in place on the grid held (only
    // `reload` changes the grid).
    void reset_shape(const Formula& formula);
    // The same with the values in a row; `slices` and `bands` are not applied.
    void reset_shape(float radius, std::int32_t slices, std::int32_t bands, float a, float b, float m, float n1,
                     float n2, float n3);
    void reset_shape2(float radius, std::int32_t slices, std::int32_t bands, float a, float b, float m, float n1,
                      float n2, float n3, float a2, float b2, float m2, float n1_2, float n2_2, float n3_2);
    // A snippet's calls after reload for a ring or a twist: the value, and
    // the positions evaluated again on the grid held.
    void set_torus(float torus);
    void set_twist(float twist);

    // Draws the wire strip in the current GL state. With `single_color` 0
    // each corner's colour is sent too.
    void render(std::int32_t single_color) const;
    // Compiles the strip with colours into a new display list, replacing
    // the one held.
    void build_list();
    void render_dl() const;

    // 0 exchanges x and y, 1 x and z, 2 y and z; other values do nothing.
    void swap_axis(std::int32_t axis);
    void scale(float sx, float sy, float sz);
    void set_color(float r, float g, float b, float a);

private:
    void store(const Formula& formula);
    void full_build();
    void fill_color_pattern();
    void delete_list();
    [[noreturn]] void out_of_memory();

    // Set by build_list, the only maker of lists, so that the model's own
    // code makes no GL call and links without GL.
    static void (*list_deleter)(std::uint32_t list);
};

// The shape's grid and triangle list; empty for an empty or negative grid.
Mesh_view view_of(const Tsupershape& shape);

} // namespace Nsupershape
