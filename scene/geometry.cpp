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

Reach reach_of(const Tvector3* positions, std::size_t count)
{
    // Double precision, so that coordinates near the float limit neither
    // overflow the box's centre nor the distances.
    Reach reach;
    std::fill(reach.low, reach.low + 3, std::numeric_limits<double>::infinity());
    std::fill(reach.high, reach.high + 3, -std::numeric_limits<double>::infinity());
    for (std::size_t i = 0; i < count; ++i) {
        const Tvector3& p = positions[i];
        if (!finite_point(p))
            continue;
        reach.any = true;
        for (int axis = 0; axis < 3; ++axis) {
            reach.low[axis] = std::min(reach.low[axis], coordinate(p, axis));
            reach.high[axis] = std::max(reach.high[axis], coordinate(p, axis));
        }
    }
    if (!reach.any)
        return {};
    for (std::size_t i = 0; i < count; ++i) {
        const Tvector3& p = positions[i];
        if (finite_point(p))
            reach.radius =
                std::max(reach.radius, length(p.x - reach.centre(0), p.y - reach.centre(1), p.z - reach.centre(2)));
    }
    return reach;
}

Framing fit_to_view(const Reach* reaches, std::size_t count, int width, int height)
{
    Reach all;
    for (std::size_t i = 0; i < count; ++i) {
        if (!reaches[i].any)
            continue;
        for (int axis = 0; axis < 3; ++axis) {
            all.low[axis] = all.any ? std::min(all.low[axis], reaches[i].low[axis]) : reaches[i].low[axis];
            all.high[axis] = all.any ? std::max(all.high[axis], reaches[i].high[axis]) : reaches[i].high[axis];
        }
        all.any = true;
    }
    Framing framing;
    if (!all.any)
        return framing;
    for (int axis = 0; axis < 3; ++axis)
        framing.centre[axis] = static_cast<float>(all.centre(axis));
    // A model's sphere lies within the one about the common centre that
    // reaches past its own centre by its radius.
    double radius = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const Reach& reach = reaches[i];
        if (reach.any)
            radius = std::max(radius, length(reach.centre(0) - all.centre(0), reach.centre(1) - all.centre(1),
                                             reach.centre(2) - all.centre(2)) +
                                          reach.radius);
    }
    if (radius > 0.0) {
        const double zoom = fill * visible_radius(width, height) / radius;
        if (zoom <= std::numeric_limits<float>::max())
            framing.zoom = static_cast<float>(zoom);
    }
    return framing;
}

Framing fit_to_view(const Tvector3* positions, std::size_t count, int width, int height)
{
    const Reach reach = reach_of(positions, count);
    return fit_to_view(&reach, 1, width, height);
}

} // namespace scene
