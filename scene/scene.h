// One frame's scene as the editor shows it: the view, the model's
// placement, the axes and the model in one colour. The editor's window, the
// frame benchmark and the off-screen pictures all draw through here, so a
// picture is what the editor shows.
#pragma once

#include "scene/geometry.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace Nsupershape {
class Tsupershape;
}

namespace scene {

// The viewport (x, y, width, height) and, for a height above 0, the
// camera's perspective for its aspect (scene/camera.h). Leaves the
// projection matrix selected.
void set_view(int x, int y, int width, int height);

// The model's transform: moved by `offset`, seen from `tilt` degrees above
// the equator (negative: below), turned by `angles` (degrees) about x, then
// y, then z; with a framing, scaled about its centre first. The tilt comes
// before the turn, so that a model turned about y turns about its own up
// axis under the raised camera.
struct Placement {
    float offset[3] = {0.0f, 0.0f, 0.0f};
    float angles[3] = {0.0f, 0.0f, 0.0f};
    std::optional<Framing> framing;
    float tilt = 0.0f;
};

struct Frame {
    Placement placement;
    bool show_axes = false;
    bool smooth_lines = false;
    // The picture enlarged about where the placement's origin shows, as a
    // narrower field of view would: depths stay as they are, and so does
    // what lies between the near and far planes.
    float zoom = 1.0f;
    // Red, green, blue, alpha; 255 is full.
    std::uint8_t color[4] = {255, 255, 255, 255};
};

// A surface to draw lit, not owned: a mesh whose indices are all in range
// and a unit normal for each of its vertices.
struct Surface {
    Mesh_view mesh;
    const Tvector3* normals = nullptr;
};

// Drawn at the frame's overlay point, after the model, in its transform.
using Overlay = std::function<void()>;

// One frame: identity model-view; colour and depth cleared (inside the
// scissor box while scissoring is on); texturing off; line smoothing as the
// frame says; push; the placement; the axes when shown; the frame's colour
// and the shape's wire strip through its own render; the overlay; pop.
// Leaves the model-view matrix selected.
void draw_frame(const Frame& frame, const Nsupershape::Tsupershape& shape, const Overlay& overlay = {});

// The same frame with the wire strip of `wire`, whose indices must be in
// range, drawn as the shape's own render draws its grid.
void draw_frame(const Frame& frame, const Mesh_view& wire);

// The same frame with `surface` in its place: filled, lit from the camera's
// upper left on both sides and smoothly shaded in the frame's colour. The
// lighting state is restored afterwards.
void draw_frame(const Frame& frame, const Surface& surface, const Overlay& overlay = {});

// Red x, green y and blue z axis through the origin, from -length to length,
// in the current model-view transform. Leaves the current colour blue.
void draw_axes(float length);

} // namespace scene
