// The screen: the program's window and GL context, the fixed GL start
// state, and the switch between the 3D view and a 2D pixel view.
#pragma once

#include <cstdint>
#include <memory>

class Tscreen {
public:
    std::uint32_t bloom_width = 0, bloom_height = 0;
    // RGBA pixels, byte 0 red; the bottom row of the read-back image first.
    std::unique_ptr<std::uint32_t[]> bloom_pixels;
    std::unique_ptr<std::uint32_t[]> bloom_scratch;
    std::uint32_t bloom_texture = 0;
    // The size asked for at construction; it does not follow resizes.
    std::uint32_t width = 0, height = 0;
    std::int32_t red_bits = 0, green_bits = 0, blue_bits = 0, alpha_bits = 0;
    std::int32_t depth_bits = 0, stencil_bits = 0;
    // The window library's mode, or 0 when the window came from elsewhere.
    std::int32_t window_mode = 0;
    // The driver's GL_VERSION text, not owned.
    const char* gl_version = nullptr;
    // 1 when this object started the window library and must end it.
    std::int32_t owns_glfw = 0;
    std::uint32_t render_width = 0, render_height = 0;
    std::uint32_t render_texture = 0;

    // Starts the window library and opens a window with 8 bits for each of
    // red, green, blue, alpha, depth and stencil. When either fails the
    // process ends, with status 0.
    Tscreen(std::int32_t width, std::int32_t height, std::int32_t full_screen);
    ~Tscreen();

    Tscreen(const Tscreen&) = delete;
    Tscreen& operator=(const Tscreen&) = delete;

    void init_gl_screen();
    // Saves both matrices and maps (0, 0) to the top-left and (width,
    // height) to the bottom-right corner of the viewport.
    void view_ortho();
    // Restores both matrices saved by view_ortho; model-view stays current.
    void view_perspective();
};
