#include "offscreen/renderer.h"

#include "font/Trasterfont.h"
#include "mesh/closed_mesh.h"
#include "scene/scene.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

namespace offscreen {
namespace {

Status size_error(const char* what, int width, int height, int limit)
{
    return runtime::refused(std::string(what) + " of " + std::to_string(width) + " x " + std::to_string(height) +
                            " pixels is out of range (1 to " + std::to_string(limit) + " a side)");
}

// An edge pixel of a transparent picture holds the mean of the shape's
// colour and the clear ground's black: its share of the shape's colour,
// which files want whole beside its alpha.
void unpremultiply(Image& picture)
{
    for (std::size_t i = 0; i < picture.alpha.size(); ++i) {
        const unsigned alpha = picture.alpha[i];
        if (alpha == 0 || alpha == 255)
            continue;
        for (int c = 0; c < Image::channels; ++c) {
            std::uint8_t& value = picture.rgb[i * Image::channels + c];
            value = static_cast<std::uint8_t>(std::min(255u, (value * 255u + alpha / 2) / alpha));
        }
    }
}

} // namespace

Renderer::Renderer() : lit(std::make_unique<mesh::Lit_surface>()) {}

Renderer::~Renderer()
{
    // The font's lists live in the context; without it they are gone with
    // it, and deleting them could hit another context's.
    if (font && !context.make_current().ok())
        font->list_base = 0;
    font.reset();
}

Status Renderer::open()
{
    if (Status opened = context.open(); !opened.ok())
        return opened;
    if (!font)
        font = std::make_unique<Trasterfont>();
    return gl_status();
}

Status Renderer::picture(const Model& model, const Picture_options& options, Image& picture)
{
    const int width = options.width, height = options.height;
    if (width < 1 || height < 1 || width > Picture_options::max_side || height > Picture_options::max_side)
        return size_error("a picture", width, height, Picture_options::max_side);
    if (Status angles = check_angles(options.turn, options.tilt); !angles.ok())
        return angles;
    if (Status checked = check_model(model); !checked.ok())
        return checked;
    if (Status bound = context.use_framebuffer(width, height); !bound.ok())
        return bound;

    glDisable(GL_SCISSOR_TEST);
    const int scale = context.scale();
    Model drawn_model = model;
    if (options.transparent) {
        // The framebuffer's alpha is then what the picture's is: 0 where
        // the clear leaves it, 1 where the shape is drawn.
        glPushAttrib(GL_COLOR_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        drawn_model.color[3] = 255;
    }
    const Status drawn =
        draw_model(drawn_model, 0, 0, scale * width, scale * height, options.turn, options.tilt, options.framing);
    if (options.transparent)
        glPopAttrib();
    if (!drawn.ok())
        return drawn;
    context.resolve();
    Image made;
    made.width = width;
    made.height = height;
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    try {
        made.rgb.resize(pixels * Image::channels);
        made.alpha.resize(options.transparent ? pixels : 0);
    } catch (const std::bad_alloc&) {
        return runtime::cannot_draw("out of memory for the picture");
    }
    context.read(0, height, Context::Pixels::rgb, made.rgb.data());
    if (options.transparent) {
        context.read(0, height, Context::Pixels::alpha, made.alpha.data());
        unpremultiply(made);
    }
    if (Status drawn = gl_status(); !drawn.ok())
        return drawn;
    picture = std::move(made);
    return {};
}

Status Renderer::check_model(const Model& model) const
{
    const Mesh_view& mesh = model.mesh;
    if ((mesh.vertex_count > 0 && mesh.positions == nullptr) || (mesh.triangle_count > 0 && mesh.triangles == nullptr))
        return runtime::refused("the mesh has no data");
    if (!Nsupershape::indices_in_range(mesh))
        return runtime::refused("the mesh has a triangle corner outside its vertices");
    return {};
}

Status Renderer::draw_model(const Model& model, int x, int y, int width, int height, float turn, float tilt,
                            const std::optional<scene::Framing>& framing)
{
    const Mesh_view& mesh = model.mesh;
    scene::set_view(x, y, width, height);
    scene::Frame frame;
    frame.placement.angles[1] = turn;
    frame.placement.tilt = tilt;
    frame.placement.framing = framing ? *framing : scene::fit_to_view(mesh.positions, mesh.vertex_count, width, height);
    std::copy(model.color, model.color + 4, frame.color);
    if (model.style == Model::Style::wire) {
        // Lines of one colour, unblended: which is in front changes no
        // pixel, and without the test the software rasteriser draws a wire
        // of a million vertices a third faster. As wide as a picture's
        // pixel, as the editor draws them.
        glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT);
        glDisable(GL_DEPTH_TEST);
        glLineWidth(static_cast<float>(context.scale()));
        scene::draw_frame(frame, mesh);
        glPopAttrib();
        return {};
    }
    const mesh::Lit_surface* surface = model.lit;
    if (!surface) {
        try {
            mesh::light(mesh, *lit);
        } catch (const std::bad_alloc&) {
            return runtime::cannot_draw("out of memory for the surface's normals");
        }
        surface = lit.get();
    }
    scene::draw_frame(frame, scene::Surface{surface->mesh.view(), surface->normals.data()});
    return {};
}

Status Renderer::gl_status() const
{
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR)
        return {};
    while (glGetError() != GL_NO_ERROR) {
    }
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", error);
    return runtime::cannot_draw(std::string("OpenGL failed while drawing (error ") + code + ")");
}

} // namespace offscreen
