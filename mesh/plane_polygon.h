// Points seen along the up axis, and the filling of a plane polygon with
// triangles: shared by the base's cap, the contact measures and the drain.
#pragma once

#include "mesh/placement.h"

#include <cstdint>
#include <vector>

namespace mesh {

// A point's height along `up`, and its two coordinates across it in the
// order that makes them right-handed with `up`: (z, x) for y, (x, y) for z.
struct Axes {
    float Tvector3::*height;
    float Tvector3::*across;
    float Tvector3::*along;
};

Axes axes_of(Up up);

struct Point2 {
    double a, b;
};

// Twice the signed area of o, p, q: positive when they turn anticlockwise.
inline double turn(const Point2& o, const Point2& p, const Point2& q)
{
    return (p.a - o.a) * (q.b - o.b) - (p.b - o.b) * (q.a - o.a);
}

// A polygon's outline as indices into its points.
using Loop = std::vector<std::int32_t>;

// Appends to `out` anticlockwise triangles of the vertices of `outline`
// (anticlockwise) that cover it less `holes` (clockwise, inside it), ear by
// ear. Where rounding leaves no ear, a triangle that turns the wrong way
// keeps the cover closed.
void fill_polygon(const Loop& outline, const std::vector<const Loop*>& holes, const std::vector<Point2>& points,
                  std::vector<Ttriangle>& out);

} // namespace mesh
