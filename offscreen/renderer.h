// Pictures and contact sheets of supershapes, drawn off screen through the
// editor's own scene, on one context that every call reuses. Single
// pictures are in renderer.cpp, the sheet in gallery.cpp.
#pragma once

#include "offscreen/context.h"
#include "offscreen/image.h"
#include "offscreen/sheet.h"
#include "runtime/status.h"
#include "scene/geometry.h"
#include "shape/mesh_view.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Trasterfont;

namespace mesh {
struct Lit_surface;
}

namespace offscreen {

using Nsupershape::Mesh_view;

// What a picture shows, in one colour on black, centred and fitted to the
// view of the editor's camera: the wire strip of `mesh` as the editor draws
// its grid, or `mesh` as a lit, shaded surface whose triangles turn
// counter-clockwise seen from outside. The colour's alpha is not drawn.
struct Model {
    enum class Style { wire, solid };
    Mesh_view mesh;
    Style style = Style::wire;
    std::uint8_t color[4] = {255, 255, 255, 255};
    // A solid's lit surface, mesh::light of `mesh`, for a mesh drawn again
    // and again; lit for each picture when null.
    const mesh::Lit_surface* lit = nullptr;
};

struct Picture_options {
    static constexpr int max_side = 8192;

    int width = 640, height = 480;
    // Degrees about the vertical axis.
    float turn = 0.0f;
    // The ground transparent instead of black, and the shape opaque
    // whatever its colour's alpha, as file managers show thumbnails.
    bool transparent = false;
    // An animation's frame's; the model's own when empty.
    std::optional<scene::Framing> framing = std::nullopt;
    // Degrees the camera looks down from above the equator, -90 to 90
    // (negative: up from below); the turn is about the shape's own up axis.
    float tilt = 0.0f;
};

struct Gallery_entry {
    // Shown under the thumbnail, fitted to its width.
    std::string name;
    // Shown in the cell instead of a thumbnail, such as "cannot read"; empty
    // when there is a model to draw.
    std::string failure;
    Model model;
};

// Fills in entry `index` of a sheet. The sheet asks for each entry once, in
// order, and is done with it before asking for the next, so the source may
// reuse the storage the model points into. A failure ends the sheet.
using Gallery_source = std::function<Status(int index, Gallery_entry& entry)>;

class Renderer {
public:
    Renderer();
    ~Renderer();

    // The object owns a GL context and the font's lists in it.
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Starts the off-screen context; every other call needs it. Whatever
    // context was current on the thread is replaced.
    Status open();

    // The picture of `model`, `options.width` x `options.height` pixels,
    // into `picture`, which is left alone on failure.
    Status picture(const Model& model, const Picture_options& options, Image& picture);

    // One sheet of `count` entries, each a thumbnail with its name under it
    // in white, row by row in their order; a cell whose entry has a failure
    // shows that text instead of a thumbnail. Into `sheet`, which is left
    // alone on failure.
    Status gallery(int count, const Gallery_source& source, const Gallery_options& options, Image& sheet);

private:
    Status check_model(const Model& model) const;
    // Draws `model` into the viewport at (x, y) of width x height, counted
    // in the bound framebuffer's pixels from its lower left, framed as
    // `framing` says or fitted.
    Status draw_model(const Model& model, int x, int y, int width, int height, float turn, float tilt,
                      const std::optional<scene::Framing>& framing = std::nullopt);
    // Entry `index` of the sheet, in a band whose top is sheet row
    // `band_top`, in a framebuffer `band_height` rows of the sheet high: its
    // thumbnail, or black for a failure, at the framebuffer's scale; then,
    // once resolved, its text at the sheet's size.
    Status draw_thumbnail(const Sheet_layout& layout, const Gallery_entry& entry, int index,
                          const Gallery_options& options, int band_top, int band_height);
    void draw_text(const Sheet_layout& layout, const Gallery_entry& entry, int index, int band_top, int band_height);
    Status gl_status() const;

    Context context;
    std::unique_ptr<Trasterfont> font;
    // The solid's lit surface, kept between pictures.
    std::unique_ptr<mesh::Lit_surface> lit;
};

} // namespace offscreen
