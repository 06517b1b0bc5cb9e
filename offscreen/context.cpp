#include "offscreen/context.h"

#include "scene/gl_start_state.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <malloc.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

namespace offscreen {
namespace {

// Blocks below this come from the heap, which is then never given back: the
// software rasteriser takes and frees some hundred megabytes for a wire of a
// million vertices, and fresh pages each time cost more than the drawing.
// The most the C library allows.
constexpr int heap_block_limit = 32 * 1024 * 1024;

// The start state wants a size; every drawing sets its own viewport.
constexpr std::uint32_t start_state_size = 1;

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
        if (Status framebuffers = Framebuffer::available(); !framebuffers.ok())
            return framebuffers;
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

Status Context::use_framebuffer(int width, int height)
{
    if (Status current = make_current(); !current.ok())
        return current;
    return framebuffer_.use(width, height);
}

void Context::close()
{
    if (context != nullptr) {
        if (make_current().ok())
            framebuffer_.release();
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display, context);
        context = nullptr;
        // The names went with the context.
        framebuffer_.forget();
    }
    if (display != nullptr) {
        if (--contexts_on_display() == 0) {
            eglTerminate(display);
            eglReleaseThread();
        }
        display = nullptr;
    }
}

} // namespace offscreen
