// What the scene takes from a mesh, without GL: the framing that fits a
// model, or every frame of an animation, into the camera's view.
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

// How far a model's finite positions reach: their bounding box and the
// radius, about the box's centre, of the sphere that holds them all. Without
// any finite position, `any` is false and the rest is meaningless.
struct Reach {
    bool any = false;
    double low[3] = {0.0, 0.0, 0.0}, high[3] = {0.0, 0.0, 0.0};
    double radius = 0.0;

    double centre(int axis) const { return low[axis] / 2.0 + high[axis] / 2.0; }
};

Reach reach_of(const Tvector3* positions, std::size_t count);

// The framing that fits `count` models into a width x height view of the
// camera, each at any turn: the centre of the box that holds their boxes
// goes to the camera's target, and the sphere about it that holds every
// model's sphere just fits the narrower field of view, with a small margin.
// Without two distinct finite positions, zoom 1 about their centre (the
// origin when there is none).
Framing fit_to_view(const Reach* reaches, std::size_t count, int width, int height);

// The same for one model: the finite ones among `count` positions.
Framing fit_to_view(const Tvector3* positions, std::size_t count, int width, int height);

} // namespace scene
