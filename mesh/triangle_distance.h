// The nearest point of a triangle: the shell measures its walls by it and
// the triangle budget its deviation.
#pragma once

#include "mesh/triangle_mesh.h"

namespace mesh {

using Point3 = Nsupershape::Vector3<double>;

// The point of triangle a, b, c nearest `p` (Ericson, Real-Time Collision
// Detection, 5.1.5).
Point3 nearest_on_triangle(const Point3& p, const Point3& a, const Point3& b, const Point3& c);

} // namespace mesh
