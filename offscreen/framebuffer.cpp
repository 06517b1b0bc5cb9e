#include "offscreen/framebuffer.h"

// The framebuffer calls come straight from the GL library: GLVND's libGL
// exports them and dispatches to whichever context is current, EGL's or the
// window's.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

namespace offscreen {
namespace {

constexpr int framebuffer_version = 3;
constexpr int smoothing_scale = 2;

// A framebuffer of width x height bound, with a colour buffer and, unless
// null, a depth buffer; false when incomplete.
bool make_framebuffer(int width, int height, GLuint& framebuffer, GLuint& color, GLuint* depth)
{
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(1, &color);
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    if (depth) {
        glGenRenderbuffers(1, depth);
        glBindRenderbuffer(GL_RENDERBUFFER, *depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, *depth);
    }
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

} // namespace

void read_rows(int x, int first_row, int width, int rows, Pixels pixels, std::uint8_t* bytes)
{
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, first_row, width, rows, pixels == Pixels::rgb ? GL_RGB : GL_ALPHA, GL_UNSIGNED_BYTE, bytes);
    glPopClientAttrib();
    // GL counts rows from the bottom, files from the top.
    const std::size_t row_bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(pixels);
    for (int top = 0, bottom = rows - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(bytes + top * row_bytes, bytes + (top + 1) * row_bytes, bytes + bottom * row_bytes);
}

Status Framebuffer::available()
{
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version == nullptr || std::atoi(version) < framebuffer_version)
        return runtime::cannot_draw(std::string("OpenGL ") + (version ? version : "?") + " has no framebuffer objects");
    return {};
}

Status Framebuffer::use(int new_width, int new_height)
{
    GLint renderbuffer_limit = 0, viewport_limit[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer_limit);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport_limit);
    const int side_limit = std::min({renderbuffer_limit, viewport_limit[0], viewport_limit[1]});
    if (new_width < 1 || new_height < 1 || new_width > side_limit || new_height > side_limit)
        return runtime::refused("a framebuffer of " + std::to_string(new_width) + " x " + std::to_string(new_height) +
                                " pixels is not possible here (1 to " + std::to_string(side_limit) + " a side)");
    if (framebuffer != 0 && new_width == width && new_height == height) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        return {};
    }
    release();
    const bool fits = std::max(new_width, new_height) * smoothing_scale <= side_limit &&
                      1LL * smoothing_scale * smoothing_scale * new_width * new_height <= max_drawn_pixels;
    const int scale = fits ? smoothing_scale : 1;
    bool complete = scale == 1 || make_framebuffer(new_width, new_height, picture_framebuffer, picture_color, nullptr);
    complete = complete &&
               make_framebuffer(scale * new_width, scale * new_height, framebuffer, color_buffer, &depth_buffer);
    if (!complete) {
        release();
        // Out of memory shows here as an incomplete framebuffer.
        while (glGetError() != GL_NO_ERROR) {
        }
        return runtime::cannot_draw("cannot make a framebuffer of " + std::to_string(new_width) + " x " +
                                    std::to_string(new_height) + " pixels");
    }
    width = new_width;
    height = new_height;
    scale_ = scale;
    return {};
}

void Framebuffer::resolve()
{
    if (picture_framebuffer == 0)
        return;
    // Linear filtering samples each picture pixel's centre, the corner
    // its 2 x 2 block shares: their mean. A blit is clipped to the scissor
    // box like any drawing.
    glPushAttrib(GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, picture_framebuffer);
    glBlitFramebuffer(0, 0, scale_ * width, scale_ * height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    glPopAttrib();
    glBindFramebuffer(GL_FRAMEBUFFER, picture_framebuffer);
}

void Framebuffer::read(int first_row, int rows, Pixels pixels, std::uint8_t* bytes) const
{
    read_rows(0, first_row, width, rows, pixels, bytes);
}

void Framebuffer::release()
{
    if (framebuffer == 0 && picture_framebuffer == 0)
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    for (GLuint* name : {&color_buffer, &depth_buffer, &picture_color})
        if (*name != 0)
            glDeleteRenderbuffers(1, name);
    for (GLuint* name : {&framebuffer, &picture_framebuffer})
        if (*name != 0)
            glDeleteFramebuffers(1, name);
    forget();
}

void Framebuffer::forget()
{
    framebuffer = color_buffer = depth_buffer = picture_framebuffer = picture_color = 0;
    width = height = 0;
    scale_ = 1;
}

} // namespace offscreen
