#include "offscreen/context.h"

#include "scene/gl_start_state.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
// The framebuffer calls come straight from the GL library: GLVND's libGL
// exports them and dispatches to whichever context is current, EGL's too.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <malloc.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace offscreen {
namespace {

// Blocks below this come from the heap, which is then never given back: the
// software rasteriser takes and frees some hundred megabytes for a wire of a
// million vertices, and fresh pages each time cost more than the drawing.
// The most the C library allows.
constexpr int heap_block_limit = 32 * 1024 * 1024;

// The start state wants a size; every drawing sets its own viewport.
constexpr std::uint32_t start_state_size = 1;
constexpr int framebuffer_version = 3;

// Contexts open on the one surfaceless display, which EGL hands out once per
// process: the last to close ends it.
int& contexts_on_display()
{
    static int count = 0;
    return count;
}

bool has_extension(const char* list, const char* name)
{
    if (list == nullptr)
        return false;
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at != nullptr; at = std::strstr(at + length, name))
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0'))
            return true;
    return false;
}

std::string egl_failure(const char* what)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(eglGetError()));
    return std::string(what) + " (EGL error " + code + ")";
}

} // namespace

void keep_freed_memory()
{
    mallopt(M_MMAP_THRESHOLD, heap_block_limit);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
}

Context::~Context()
{
    close();
}

Status Context::open()
{
    if (is_open())
        return {};
    if (!has_extension(eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS), "EGL_MESA_platform_surfaceless"))
        return runtime::cannot_draw("EGL offers no surfaceless platform (Mesa's EGL, libegl-mesa0, is needed)");
    const auto get_platform_display =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (get_platform_display == nullptr)
        return runtime::cannot_draw("EGL cannot open a platform display");
    EGLDisplay egl_display = get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (egl_display == EGL_NO_DISPLAY || !eglInitialize(egl_display, nullptr, nullptr))
        return runtime::cannot_draw(egl_failure("cannot start EGL's surfaceless display"));
    display = egl_display;
    ++contexts_on_display();

    Status status = [&]() -> Status {
        if (!has_extension(eglQueryString(egl_display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context"))
            return runtime::cannot_draw("EGL cannot make a context current without a surface");
        if (!eglBindAPI(EGL_OPENGL_API))
            return runtime::cannot_draw(egl_failure("EGL offers no desktop OpenGL"));
        const EGLint wanted[] = {EGL_SURFACE_TYPE,
                                 EGL_PBUFFER_BIT,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,
                                 8,
                                 EGL_GREEN_SIZE,
                                 8,
                                 EGL_BLUE_SIZE,
                                 8,
                                 EGL_NONE};
        EGLConfig config = nullptr;
        EGLint found = 0;
        if (!eglChooseConfig(egl_display, wanted, &config, 1, &found) || found < 1)
            return runtime::cannot_draw(egl_failure("EGL has no configuration for desktop OpenGL"));
        // No version asked for: the driver's newest compatibility profile.
        context = eglCreateContext(egl_display, config, EGL_NO_CONTEXT, nullptr);
        if (context == EGL_NO_CONTEXT) {
            context = nullptr;
            return runtime::cannot_draw(egl_failure("EGL cannot create an OpenGL context"));
        }
        if (!eglMakeCurrent(egl_display, EGL_NO_SURFACE, EGL_NO_SURFACE, context))
            return runtime::cannot_draw(egl_failure("EGL cannot make the OpenGL context current"));
        const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        if (version == nullptr || std::atoi(version) < framebuffer_version)
            return runtime::cannot_draw(std::string("OpenGL ") + (version ? version : "?") +
                                        " has no framebuffer objects");
        GLint renderbuffer_limit = 0, viewport_limit[2] = {0, 0};
        glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer_limit);
        glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport_limit);
        side_limit = std::min({renderbuffer_limit, viewport_limit[0], viewport_limit[1]});
        init_gl_state(start_state_size, start_state_size);
        return {};
    }();
    if (!status.ok())
        close();
    return status;
}

Status Context::make_current()
{
    if (!is_open())
        return runtime::cannot_draw("the off-screen context is not open");
    if (eglGetCurrentContext() != context && !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context))
        return runtime::cannot_draw(egl_failure("EGL cannot make the OpenGL context current"));
    return {};
}

namespace {

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

Status Context::use_framebuffer(int new_width, int new_height)
{
    if (Status current = make_current(); !current.ok())
        return current;
    if (new_width < 1 || new_height < 1 || new_width > side_limit || new_height > side_limit)
        return runtime::refused("a framebuffer of " + std::to_string(new_width) + " x " + std::to_string(new_height) +
                                " pixels is not possible here (1 to " + std::to_string(side_limit) + " a side)");
    if (framebuffer != 0 && new_width == width && new_height == height) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        return {};
    }
    release_framebuffer();
    const bool fits = std::max(new_width, new_height) * smoothing_scale <= side_limit &&
                      1LL * smoothing_scale * smoothing_scale * new_width * new_height <= max_drawn_pixels;
    const int scale = fits ? smoothing_scale : 1;
    bool complete = scale == 1 || make_framebuffer(new_width, new_height, picture_framebuffer, picture_color, nullptr);
    complete = complete &&
               make_framebuffer(scale * new_width, scale * new_height, framebuffer, color_buffer, &depth_buffer);
    if (!complete) {
        release_framebuffer();
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

void Context::resolve()
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

void Context::read(int first_row, int rows, Pixels pixels, std::uint8_t* bytes) const
{
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, first_row, width, rows, pixels == Pixels::rgb ? GL_RGB : GL_ALPHA, GL_UNSIGNED_BYTE, bytes);
    glPopClientAttrib();
    // GL counts rows from the bottom, files from the top.
    const std::size_t row_bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(pixels);
    for (int top = 0, bottom = rows - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(bytes + top * row_bytes, bytes + (top + 1) * row_bytes, bytes + bottom * row_bytes);
}

void Context::release_framebuffer()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    for (GLuint* name : {&color_buffer, &depth_buffer, &picture_color})
        if (*name != 0)
            glDeleteRenderbuffers(1, name);
    for (GLuint* name : {&framebuffer, &picture_framebuffer})
        if (*name != 0)
            glDeleteFramebuffers(1, name);
    forget_framebuffer();
}

void Context::forget_framebuffer()
{
    framebuffer = color_buffer = depth_buffer = picture_framebuffer = picture_color = 0;
    width = height = 0;
    scale_ = 1;
}

void Context::close()
{
    if (context != nullptr) {
        if (make_current().ok())
            release_framebuffer();
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display, context);
        context = nullptr;
        // The names went with the context.
        forget_framebuffer();
    }
    if (display != nullptr) {
        if (--contexts_on_display() == 0) {
            eglTerminate(display);
            eglReleaseThread();
        }
        display = nullptr;
    }
    side_limit = 0;
}

} // namespace offscreen
