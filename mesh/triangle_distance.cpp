#include "mesh/triangle_distance.h"

namespace mesh {
namespace {

Point3 operator-(const Point3& p, const Point3& q)
{
    return {p.x - q.x, p.y - q.y, p.z - q.z};
}

double dot(const Point3& p, const Point3& q)
{
    return p.x * q.x + p.y * q.y + p.z * q.z;
}

// `o` moved `t` times `d`.
Point3 along(const Point3& o, const Point3& d, double t)
{
    return {o.x + d.x * t, o.y + d.y * t, o.z + d.z * t};
}

} // namespace

Point3 nearest_on_triangle(const Point3& p, const Point3& a, const Point3& b, const Point3& c)
{
    const Point3 ab = b - a, ac = c - a, ap = p - a;
    const double d1 = dot(ab, ap), d2 = dot(ac, ap);
    if (d1 <= 0 && d2 <= 0)
        return a;
    const Point3 bp = p - b;
    const double d3 = dot(ab, bp), d4 = dot(ac, bp);
    if (d3 >= 0 && d4 <= d3)
        return b;
    const double vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0)
        return along(a, ab, d1 / (d1 - d3));
    const Point3 cp = p - c;
    const double d5 = dot(ab, cp), d6 = dot(ac, cp);
    if (d6 >= 0 && d5 <= d6)
        return c;
    const double vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0)
        return along(a, ac, d2 / (d2 - d6));
    const double va = d3 * d6 - d5 * d4;
    if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0)
        return along(b, c - b, (d4 - d3) / ((d4 - d3) + (d5 - d6)));
    const double denominator = 1 / (va + vb + vc);
    return along(along(a, ab, vb * denominator), ac, vc * denominator);
}

} // namespace mesh
