#include "scene/geometry.h"

#include "scene/camera.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>

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

namespace {

// The radius about `centre` of the sphere that holds `reach`'s.
double radius_about(const Reach& reach, const double centre[3])
{
    return length(reach.centre(0) - centre[0], reach.centre(1) - centre[1], reach.centre(2) - centre[2]) + reach.radius;
}

// The zoom at which a sphere of `radius` about the target just fits; none
// for a point, or one too small for single precision to zoom to.
std::optional<double> zoom_to_fit(double radius, int width, int height)
{
    if (!(radius > 0.0))
        return std::nullopt;
    const double zoom = fill * visible_radius(width, height) / radius;
    if (zoom > std::numeric_limits<float>::max())
        return std::nullopt;
    return zoom;
}

} // namespace

Framing fit_to_view(const Reach& reach, int width, int height)
{
    Framing framing;
    if (!reach.any)
        return framing;
    for (int axis = 0; axis < 3; ++axis)
        framing.centre[axis] = static_cast<float>(reach.centre(axis));
    if (const std::optional<double> zoom = zoom_to_fit(reach.radius, width, height))
        framing.zoom = static_cast<float>(*zoom);
    return framing;
}

Framing fit_to_view(const Tvector3* positions, std::size_t count, int width, int height)
{
    return fit_to_view(reach_of(positions, count), width, height);
}

std::vector<Framing> morph_framings(const Framing* shapes, const Morph_frame* frames, std::size_t count, int width,
                                    int height)
{
    // The gentlest rate, in the zoom's logarithm a frame.
    constexpr double gentlest = 0.03;
    const auto size = [](const Framing& framing) { return framing.zoom > 0.0f ? 1.0 / framing.zoom : 1.0; };
    const auto on_shape = [](const Morph_frame& frame) { return frame.blend <= 0.0 || frame.blend >= 1.0; };
    std::vector<Framing> framings(count);
    // The logarithms of the zoom wanted and of the most that holds the
    // frame's shape about the wanted centre.
    std::vector<double> wanted(count), most(count, std::numeric_limits<double>::infinity());
    for (std::size_t k = 0; k < count; ++k) {
        const Morph_frame& frame = frames[k];
        const Framing &from = shapes[frame.from], &to = shapes[frame.to];
        wanted[k] = -std::log((1.0 - frame.blend) * size(from) + frame.blend * size(to));
        if (on_shape(frame)) {
            framings[k] = frame.blend <= 0.0 ? from : to;
            continue;
        }
        double centre[3];
        for (int axis = 0; axis < 3; ++axis) {
            centre[axis] = (1.0 - frame.blend) * from.centre[axis] + frame.blend * to.centre[axis];
            framings[k].centre[axis] = static_cast<float>(centre[axis]);
        }
        if (frame.reach.any)
            if (const std::optional<double> fits = zoom_to_fit(radius_about(frame.reach, centre), width, height))
                most[k] = std::log(*fits);
    }
    // The rate that zooms out from each frame nearest a shape in time for
    // any frame's shape: the frames on either side of each shape where no
    // frame falls on it.
    const auto nearest_a_shape = [&](std::size_t k) {
        return on_shape(frames[k]) || (k > 0 && frames[k - 1].from != frames[k].from) ||
               (k + 1 < count && frames[k + 1].from != frames[k].from);
    };
    double rate = gentlest;
    for (std::size_t p = 0; p < count; ++p)
        if (nearest_a_shape(p))
            for (std::size_t k = 0; k < count; ++k)
                if (k != p && most[k] < wanted[p])
                    rate = std::max(rate, (wanted[p] - most[k]) / double(k > p ? k - p : p - k));
    // The most each frame may zoom in, its neighbours' most within the rate.
    for (std::size_t k = 1; k < count; ++k)
        most[k] = std::min(most[k], most[k - 1] + rate);
    for (std::size_t k = count - 1; k-- > 0;)
        most[k] = std::min(most[k], most[k + 1] + rate);
    for (std::size_t k = 0; k < count; ++k)
        if (!on_shape(frames[k]))
            framings[k].zoom = static_cast<float>(std::exp(std::min(wanted[k], most[k])));
    return framings;
}

} // namespace scene
