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

} // namespace scene::camera
