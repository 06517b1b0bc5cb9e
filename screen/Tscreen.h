// The screen: the program's window and GL context, the fixed GL start
// state, the switch between the 3D view and a 2D pixel view, and the glow
// and bloom drawn back over a finished scene.
#pragma once

#include <cstdint>
#include <memory>

class Tscreen {
public:
    // Mode flags of the screen-mode constructor.
    static constexpr std::int32_t mode_full_screen = 1;
    static constexpr std::int32_t mode_opengl = 2;
    static constexpr std::int32_t mode_multisample = 0x40000;

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
    // Both open the screen through the screen-mode facility, which starts
    // the window library when it is not running and leaves it running: these
    // screens never end it. A refused mode ends the program with the
    // fatal-error report, as does a bloom buffer that cannot be allocated.
    //
    // A 640 x 480 screen with 8 bits per colour channel and 24 depth bits;
    // a 256 x 256 render area and zero-filled 64 x 64 bloom buffers, but no
    // textures, so both effects use GL's texture 0.
    Tscreen();
    // A width x height screen with colour_depth / 4 bits per channel and 24
    // depth bits, full screen when `flags` has mode_full_screen. Samples
    // above 0 ask for multisampling and add mode_multisample to `flags`.
    // Creates a 64 x 64 render area with its texture, the bloom buffers and
    // the bloom texture, which it leaves bound with texturing on.
    Tscreen(std::int32_t width, std::int32_t height, std::int32_t colour_depth, std::int32_t pages,
            std::int32_t samples, std::int32_t& flags);
    ~Tscreen();

    Tscreen(const Tscreen&) = delete;
    Tscreen& operator=(const Tscreen&) = delete;

    void init_gl_screen();
    // Saves both matrices and maps (0, 0) to the top-left and (width,
    // height) to the bottom-right corner of the viewport.
    void view_ortho();
    // Restores both matrices saved by view_ortho; model-view stays current.
    void view_perspective();

    // Drawing between these two lands in the lower-left render area, which
    // the stop copies into render_texture before restoring the full viewport.
    void start_render2texture();
    void stop_render2texture();
    // The three draws bracket their own view_ortho pair, so they are called
    // outside one; they leave blending and texturing off and their own
    // blend function set.
    //
    // Five copies of render_texture over the whole screen, the unshifted one
    // and four moved 5 pixels right, left, down and up, added with
    // (GL_SRC_ALPHA, GL_ONE) at `alpha`.
    void draw_glow(float alpha);
    // One copy of the texture's inner part, `inset` to 1 - inset on both
    // axes, stretched over the screen and added with (GL_ONE, GL_ONE) at
    // colour `alpha`.
    void draw_glow(float alpha, float inset);
    // bloom_texture over the whole screen, added at full strength with
    // (GL_ONE, GL_ONE); `alpha` reaches only the alpha channel.
    void draw_bloom(float alpha);

    // Reads the lower-left bloom area back, blurs it `passes` times and
    // uploads it into bloom_texture, leaving that bound with texturing on. A
    // screen without bloom buffers reads, blurs and uploads nothing.
    void do_bloom(std::int32_t passes);

private:
    void open_screen_mode(std::int32_t width, std::int32_t height, std::int32_t channel_bits, std::int32_t samples,
                          std::int32_t flags);
    void allocate_bloom_buffers();
};
