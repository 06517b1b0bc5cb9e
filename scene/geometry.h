// What the scene takes from a mesh, without GL: the framing that fits a
// model, or every frame of an animation, into the camera's view.
#pragma once

#include "shape/mesh_view.h"

#include <cstddef>
#include <vector>

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

// The framing that fits a model into a width x height view of the camera,
// at any turn and tilt: the centre of its box goes to the camera's target,
// and its sphere just fits the narrower field of view, with a small margin.
// Without two distinct finite positions, zoom 1 about their centre (the
// origin when there is none).
Framing fit_to_view(const Reach& reach, int width, int height);

// The same for the finite ones among `count` positions.
Framing fit_to_view(const Tvector3* positions, std::size_t count, int width, int height);

// A frame of a morph, for its framing: the shapes it lies between, as
// indices into their framings, how far from the first (eased), and how far
// its own shape reaches. A frame on a shape (blend 0 or 1) needs no reach.
struct Morph_frame {
    std::size_t from = 0, to = 0;
    double blend = 0.0;
    Reach reach;
};

// The framing of each of `count` frames of a morph through shapes framed on
// their own as `shapes` says (fit_to_view), in this order of priority:
// every frame's shape stays whole in a width x height view; a frame on a
// shape has that shape's framing; between them the centre and the radius
// of the sphere that fits (1 / zoom) mix as the shapes do. Where a frame's
// shape outgrows that, the view zooms out for it, and eases into and out of
// it at an even rate a frame: a few per cent, or as much more as leaves
// the frames nearest each shape the framing they want. Zooms of 0 or less
// count as 1.
std::vector<Framing> morph_framings(const Framing* shapes, const Morph_frame* frames, std::size_t count, int width,
                                    int height);

} // namespace scene
