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

bool finite_point(const Tvector3& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

double coordinate(const Tvector3& p, int axis)
{
    return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}

} // namespace

Framing fit_to_view(const Tvector3* positions, std::size_t count, int width, int height)
{
    // Double precision, so that coordinates near the float limit neither
    // overflow the box's centre nor the distances.
    double low[3], high[3];
    std::fill(low, low + 3, std::numeric_limits<double>::infinity());
    std::fill(high, high + 3, -std::numeric_limits<double>::infinity());
    bool any = false;
    for (std::size_t i = 0; i < count; ++i) {
        const Tvector3& p = positions[i];
        if (!finite_point(p))
            continue;
        any = true;
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], coordinate(p, axis));
            high[axis] = std::max(high[axis], coordinate(p, axis));
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
    for (std::size_t i = 0; i < count; ++i) {
        const Tvector3& p = positions[i];
        if (finite_point(p))
            radius = std::max(radius, length(p.x - centre[0], p.y - centre[1], p.z - centre[2]));
    }
    if (radius > 0.0) {
        const double zoom = fill * visible_radius(width, height) / radius;
        if (zoom <= std::numeric_limits<float>::max())
            framing.zoom = static_cast<float>(zoom);
    }
    return framing;
}

} // namespace scene
