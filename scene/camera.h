// The editor's camera, shared by the view it sets and by the framing that
// fits a model into that view.
#pragma once

namespace scene::camera {

// Vertical field of view in degrees, between the near and far planes.
constexpr double field_of_view = 40.0;
constexpr double near_plane = 1.0;
constexpr double far_plane = 10.0;
// From `eye` towards the origin, y up.
constexpr double eye[3] = {-1.0, 0.0, 3.0};
constexpr double up[3] = {0.0, 1.0, 0.0};
// The most degrees a camera rises above the equator or sinks below it:
// past a pole the model would show upside down.
constexpr int max_tilt = 90;
// The view's horizontal axis, (target - eye) x up: a camera raised above
// the equator is the model turned towards it about this axis.
constexpr double right[3] = {eye[2] * up[1] - eye[1] * up[2], eye[0] * up[2] - eye[2] * up[0],
                             eye[1] * up[0] - eye[0] * up[1]};

} // namespace scene::camera
