// What the scene takes from a mesh, without GL: the framing that fits a
// model into the camera's view.
#pragma once

#include "shape/mesh_view.h"

#include <cstddef>

namespace scene {

using Nsupershape::Mesh_view;
using Nsupershape::Tvector3;

// Scale by `zoom` about `centre`, which then sits where the camera looks.
struct Framing {
    float zoom = 1.0f;
    float centre[3] = {0.0f, 0.0f, 0.0f};
};

// The framing that fits the finite ones among `count` positions into a
// width x height view of the camera, at any turn: the centre of
// their bounding box goes to the camera's target, and the sphere about it
// that holds them all just fits the narrower field of view, with a small
// margin. Without two distinct finite positions, zoom 1 about their centre
// (the origin when there is none).
Framing fit_to_view(const Tvector3* positions, std::size_t count, int width, int height);

} // namespace scene
