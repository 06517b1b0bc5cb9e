#include "screen/Tscreen.h"

#include "runtime/console.h"
#include "runtime/fatal_error.h"
#include "scene/gl_start_state.h"
#include "screen/glfw_layer.h"

#include <GL/gl.h>

#include <cstdlib>
#include <new>

namespace {

constexpr int requested_bits = 8;
constexpr int glfw_failure_pause_ms = 1000;

constexpr std::int32_t default_width = 640, default_height = 480;
// Red, green, blue and alpha share the colour depth.
constexpr std::int32_t channels = 4;
constexpr std::int32_t mode_depth_bits = 24;
// Recorded only: the screen-mode facility asks for no stencil.
constexpr std::int32_t mode_stencil_bits = 24;
constexpr std::uint32_t default_render_size = 256, mode_render_size = 64;
constexpr std::uint32_t bloom_size = 64;

constexpr runtime::Error_site constructor_site{"Tscreen", "Tscreen"};

} // namespace

Tscreen::Tscreen(std::int32_t width, std::int32_t height, std::int32_t full_screen)
{
    if (!screen::init()) {
        runtime::console_line("Failed to initialize GLFW!");
        runtime::pause_for_key(glfw_failure_pause_ms);
        std::exit(0);
    }
    this->width = static_cast<std::uint32_t>(width);
    this->height = static_cast<std::uint32_t>(height);
    red_bits = green_bits = blue_bits = alpha_bits = depth_bits = stencil_bits = requested_bits;
    window_mode = full_screen == 0 ? screen::window_mode_window : screen::window_mode_fullscreen;

    if (!screen::open_window(width, height, red_bits, green_bits, blue_bits, alpha_bits, depth_bits, stencil_bits,
                             window_mode)) {
        screen::terminate();
        std::exit(0);
    }
    screen::swap_interval(1);
    gl_version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    owns_glfw = 1;
}

Tscreen::Tscreen()
{
    open_screen_mode(default_width, default_height, requested_bits, 0, mode_opengl);
    render_width = render_height = default_render_size;
    bloom_width = bloom_height = bloom_size;
    allocate_bloom_buffers();
}

Tscreen::Tscreen(std::int32_t width, std::int32_t height, std::int32_t colour_depth,
                 [[maybe_unused]] std::int32_t pages, std::int32_t samples, std::int32_t& flags)
{
    if (samples > 0)
        flags |= mode_multisample;
    open_screen_mode(width, height, colour_depth / channels, samples, flags);

    render_width = render_height = mode_render_size;
    glEnable(GL_TEXTURE_2D);
    glGenTextures(1, &render_texture);
    glBindTexture(GL_TEXTURE_2D, render_texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    // No image yet: stop_render2texture defines it by copying.

    bloom_width = bloom_height = bloom_size;
    allocate_bloom_buffers();
    glEnable(GL_TEXTURE_2D);
    glGenTextures(1, &bloom_texture);
    glBindTexture(GL_TEXTURE_2D, bloom_texture);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, static_cast<GLsizei>(bloom_width), static_cast<GLsizei>(bloom_height), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, bloom_pixels.get());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

// The screen-mode facility, served by the window library: the bit and sample
// requests become window hints and the full-screen flag picks the monitor.
// Its windows always have a GL context and two buffers, so the OpenGL flag
// and the page count choose nothing. The facility starts the library itself
// (starting it again does nothing) and, unlike the GLFW constructor, never
// ends it: these screens leave that to whoever ends the program. A new mode
// replaces the current screen, as a mode change does.
void Tscreen::open_screen_mode(std::int32_t width, std::int32_t height, std::int32_t channel_bits, std::int32_t samples,
                               std::int32_t flags)
{
    const int mode = (flags & mode_full_screen) != 0 ? screen::window_mode_fullscreen : screen::window_mode_window;
    screen::close_window();
    const bool opened = screen::init() &&
                        screen::open_window(width, height, channel_bits, channel_bits, channel_bits, channel_bits,
                                            mode_depth_bits, screen::bits_dont_care, mode, samples);
    if (!opened)
        runtime::fatal_error(runtime::illegal_function_call, constructor_site);

    this->width = static_cast<std::uint32_t>(width);
    this->height = static_cast<std::uint32_t>(height);
    red_bits = green_bits = blue_bits = alpha_bits = channel_bits;
    depth_bits = mode_depth_bits;
    stencil_bits = mode_stencil_bits;
    gl_version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
}

void Tscreen::allocate_bloom_buffers()
{
    const std::size_t count = std::size_t{bloom_width} * bloom_height;
    bloom_pixels.reset(new (std::nothrow) std::uint32_t[count]());
    bloom_scratch.reset(new (std::nothrow) std::uint32_t[count]());
    if (!bloom_pixels || !bloom_scratch)
        runtime::fatal_error(runtime::out_of_memory, constructor_site);
}

Tscreen::~Tscreen()
{
    bloom_pixels.reset();
    bloom_scratch.reset();
    // Name 0 is no texture. Skipping it keeps the application's screen, whose
    // window and context close before it goes, from calling GL without one.
    for (const GLuint texture : {render_texture, bloom_texture})
        if (texture != 0)
            glDeleteTextures(1, &texture);
    if (owns_glfw == 1)
        screen::terminate();
}

void Tscreen::init_gl_screen()
{
    init_gl_state(width, height);
}

void Tscreen::view_ortho()
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, height, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void Tscreen::view_perspective()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
