#include "scene/geometry.h"

#include "scene/camera.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace scene {
namespace {

// Leaves a little black around the model's sphere.
constexpr double fill = 0.95;

double to_radians(double degrees)
{
    return degrees * M_PI / 180.0;
}

// Floats squared never overflow a double.
double length(double x, double y, double z)
{
    return std::sqrt(x * x + y * y + z * z);
}

// The sphere about the target that just touches the view's nearer sides.
double visible_radius(int width, int height)
{
    const double aspect = width > 0 && height > 0 ? static_cast<double>(width) / height : 1.0;
    const double half_vertical = to_radians(camera::field_of_view / 2.0);
    const double half_horizontal = std::atan(std::tan(half_vertical) * aspect);
    const double distance = length(camera::eye[0], camera::eye[1], camera::eye[2]);
    return distance * std::sin(std::min(half_vertical, half_horizontal));
}

bool finite_point(const float* p)
{
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

} // namespace

Framing fit_to_view(const float* positions, std::int32_t count, int width, int height)
{
    // Double precision, so that coordinates near the float limit neither
    // overflow the box's centre nor the distances.
    double low[3], high[3];
    std::fill(low, low + 3, std::numeric_limits<double>::infinity());
    std::fill(high, high + 3, -std::numeric_limits<double>::infinity());
    bool any = false;
    for (std::int32_t i = 0; i < count; ++i) {
        const float* p = positions + 3 * static_cast<std::ptrdiff_t>(i);
        if (!finite_point(p))
            continue;
        any = true;
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], static_cast<double>(p[axis]));
            high[axis] = std::max(high[axis], static_cast<double>(p[axis]));
        }
    }
    Framing framing;
    if (!any)
        return framing;
    double centre[3];
    for (int axis = 0; axis < 3; ++axis) {
        centre[axis] = low[axis] / 2.0 + high[axis] / 2.0;
        framing.centre[axis] = static_cast<float>(centre[axis]);
    }
    double radius = 0.0;
    for (std::int32_t i = 0; i < count; ++i) {
        const float* p = positions + 3 * static_cast<std::ptrdiff_t>(i);
        if (finite_point(p))
            radius = std::max(radius, length(p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]));
    }
    if (radius > 0.0) {
        const double zoom = fill * visible_radius(width, height) / radius;
        if (zoom <= std::numeric_limits<float>::max())
            framing.zoom = static_cast<float>(zoom);
    }
    return framing;
}

bool vertex_normals(const float* positions, std::int32_t vertex_count, const std::int32_t* indices,
                    std::int32_t triangle_count, float* normals)
{
    const std::ptrdiff_t corners = 3 * static_cast<std::ptrdiff_t>(std::max(triangle_count, 0));
    for (std::ptrdiff_t c = 0; c < corners; ++c)
        if (indices[c] < 0 || indices[c] >= vertex_count)
            return false;

    std::fill(normals, normals + 3 * static_cast<std::ptrdiff_t>(std::max(vertex_count, 0)), 0.0f);
    for (std::ptrdiff_t c = 0; c < corners; c += 3) {
        const float* a = positions + 3 * static_cast<std::ptrdiff_t>(indices[c]);
        const float* b = positions + 3 * static_cast<std::ptrdiff_t>(indices[c + 1]);
        const float* d = positions + 3 * static_cast<std::ptrdiff_t>(indices[c + 2]);
        const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const float v[3] = {d[0] - a[0], d[1] - a[1], d[2] - a[2]};
        // Twice the triangle's area along its normal.
        const float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        if (!finite_point(n))
            continue;
        for (int k = 0; k < 3; ++k)
            for (int axis = 0; axis < 3; ++axis)
                normals[3 * static_cast<std::ptrdiff_t>(indices[c + k]) + axis] += n[axis];
    }
    for (std::int32_t i = 0; i < vertex_count; ++i) {
        float* n = normals + 3 * static_cast<std::ptrdiff_t>(i);
        const double size = length(n[0], n[1], n[2]);
        if (size > 0.0 && std::isfinite(size))
            for (int axis = 0; axis < 3; ++axis)
                n[axis] = static_cast<float>(n[axis] / size);
        else
            std::fill(n, n + 3, 0.0f);
    }
    return true;
}

} // namespace scene
