// The supershape's grid as plain computation: the superformula evaluated row
// by row into arrays the caller owns, the editor's triangle list over it, and
// the grid the editor's Reset builds. First ask grid_size what a grid needs,
// then fill buffers of that size. No GL, no object, nothing that allocates.
#pragma once

#include "params/Tparams.h"
#include "shape/mesh_view.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace Nsupershape {

// One set of the superformula's divisors and exponents.
struct Superformula {
    float a = 0, b = 0, m = 0, n1 = 0, n2 = 0, n3 = 0;
};

// The longitude's set gives each column's radius, the latitude's each row's
// (the same set for a one-set shape); `radius` scales every coordinate.
// Above 0, `torus` makes a ring: the columns' curve goes around the axis,
// the rows' once around the tube. `twist` turns a ball's rows (degrees).
struct Formula {
    Superformula longitude, latitude;
    float radius = 0;
    float torus = 0, twist = 0;
};

// Without padding, so that comparing the bytes of two compares every value.
static_assert(sizeof(Superformula) == 6 * sizeof(float), "a set is its six floats");
static_assert(sizeof(Formula) == 2 * sizeof(Superformula) + 3 * sizeof(float),
              "a formula is its two sets, radius, torus and twist");

// The first set for the longitude; the second, unless linked, for the
// latitude.
Formula formula_of(const Tparams& params);

// The superformula's radius at angle `t` (radians), exactly as every row and
// column is evaluated. A zero divisor or exponent gives infinities or NaN,
// which are kept.
float radius_at(const Superformula& set, float t);

// A grid of `slices` rows of `bands` + 1 vertices needs slices x (bands + 1)
// vertices and twice as many triangles; both are 0 when slices is below 1 or
// bands below 0.
Mesh_size grid_size(std::int32_t slices, std::int32_t bands);

// Whether `formula` is a ring: a torus above 0.
bool is_ring(const Formula& formula);

// Why `formula` makes no shape, or empty: a ring takes no twist.
std::string refusal(const Formula& formula);

// Positions and radial normals of the rows that fit `capacity` vertices, at
// most `slices`, each of `bands` + 1 vertices. Both angles advance by
// repeated single-precision addition: phi from -pi/2 by pi / slices (a
// ring's by 2 pi / slices, a whole turn), theta from -pi by 2 pi / bands,
// each before its first use. In double precision, rounded once to float: a
// ball's x = cos(theta) r2 r1 cos(phi) radius, z the same with sin(theta); a
// ring's x = cos(theta) r2 (torus + r1 cos(phi)) radius; y = -r1 sin(phi)
// radius. A twist turns a ball's row about y by the angle
// twist ((phi + pi/2) / pi) (pi / 180), from the float x and z, in double:
// x' = x cos + z sin, z' = z cos - x sin; at twist 0 nothing is turned, and a
// ring is never turned. A normal is the unit vector from the centre, or (0,
// 0, 1) when the inverse length is 0 or not a number. `normals` may be null.
// Nothing is written for slices below 1 or bands below 0.
void evaluate_grid(const Formula& formula, std::int32_t slices, std::int32_t bands, std::size_t capacity,
                   Tvector3* positions, Tvector3* normals);

// The y of the pole at phi = -pi/2, before the first row, which the grid
// lacks: as a row at that angle would have it.
float first_pole_y(const Formula& formula);

// The torus a ring of `slices` rows must exceed so that its tube keeps off
// its axis: the largest -r1 cos(phi) of its rows, in double as evaluate_grid
// adds the torus to r1 cos(phi). NaN when a row's radius is.
double tube_reach(const Formula& formula, std::int32_t slices);

// The editor's triangle list over a grid of `slices` rows: for each row i and
// each j from 0 to bands, with p = i x bands + j (the row stride is `bands`,
// not the grid's `bands` + 1), the triangles (p + bands + 1, p + bands, p)
// and (p, p + 1, p + bands + 1), every index modulo `vertex_count`. Stops at
// `capacity` triangles; writes nothing when `vertex_count` is 0.
void tesselate_grid(std::int32_t slices, std::int32_t bands, std::size_t vertex_count, Ttriangle* triangles,
                    std::size_t capacity);

// Multiplies every coordinate by its axis's factor.
void scale_positions(Tvector3* positions, std::size_t count, float sx, float sy, float sz);

// Exchanges two coordinates of every position: `axis` 0 x and y, 1 x and z,
// 2 y and z; other values do nothing.
void swap_positions(Tvector3* positions, std::size_t count, std::int32_t axis);

// The grid the editor's Reset builds for `params`, into arrays of
// grid_size(params.slices, params.bands): the positions evaluated for
// formula_of(params) and then scaled by params.scale on every axis, and the
// triangle list. Either array may be null. Bit for bit what a Tsupershape
// holds after `reload` and `scale` with the same values.
void build_as_reset(const Tparams& params, Tvector3* positions, Ttriangle* triangles);

} // namespace Nsupershape
