// The screen on a real display: constructors, GL start state, pixel view, glow, bloom, failures.
#include "screen/Tscreen.h"
#include "screen/glfw_layer.h"
#include "tests/support/child_process.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <new>
#include <tuple>

using test_support::gl, test_support::Ints, test_support::Rgba;

namespace {

constexpr int texture_size = 64, quarter = texture_size / 4;
bool refuse_nothrow_arrays = false; // While set, every nothrow array allocation fails.

// Texel (i, j), row j from the bottom: quadrants show a flipped or swapped axis, a frame a wrong inset.
Rgba pattern(int i, int j)
{
    static constexpr Rgba colours[2][2] = {{{40, 0, 0, 255}, {0, 0, 40, 255}}, {{0, 40, 0, 255}, {40, 40, 0, 255}}};
    const bool frame = std::min(i, j) < quarter || std::max(i, j) >= texture_size - quarter;
    return frame ? Rgba{30, 30, 30, 255} : colours[i >= 2 * quarter][j >= 2 * quarter];
}

std::vector<Rgba> image_of(Rgba (*pattern)(int, int))
{
    std::vector<Rgba> image;
    for (int k = 0; k < texture_size * texture_size; ++k)
        image.push_back(pattern(k % texture_size, k / texture_size));
    return image;
}

// Room for a texture four times too large: its rows then wrap, and the comparison fails.
std::vector<Rgba> texture_image(GLuint texture)
{
    std::vector<Rgba> image(16 * texture_size * texture_size);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    return {image.begin(), image.begin() + texture_size * texture_size};
}

// A blue window with the image from the viewport's lower-left corner.
void paint(const std::vector<Rgba>& image)
{
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_TEXTURE_2D);
    glRasterPos2i(-1, -1);
    glDrawPixels(texture_size, texture_size, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
}

} // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return refuse_nothrow_arrays ? nullptr : ::operator new[](size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

TEST(Screen, WindowStartStateAndPixelView)
{
    Tscreen s(640, 480, 0);
    s.init_gl_screen();
    EXPECT_EQ((Ints{s.width, s.height, s.red_bits, s.green_bits, s.blue_bits, s.alpha_bits, s.depth_bits,
                    s.stencil_bits, s.window_mode, s.owns_glfw, s.bloom_pixels || s.bloom_scratch,
                    s.render_width | s.render_texture | s.bloom_width | s.bloom_texture}),
              (Ints{640, 480, 8, 8, 8, 8, 8, 8, 0x00010001, 1, 0, 0}));
    EXPECT_STREQ(s.gl_version, reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    // Opaque black clear colour, GL_LEQUAL depth test, colour material, the effects' blend function.
    EXPECT_EQ(gl<double>({GL_VIEWPORT, GL_COLOR_CLEAR_VALUE}, 4), (std::vector<double>{0, 0, 640, 480, 0, 0, 0, 1}));
    EXPECT_EQ(gl({GL_DEPTH_FUNC, GL_BLEND_SRC, GL_BLEND_DST, GL_DEPTH_TEST, GL_COLOR_MATERIAL, GL_BLEND, GL_LIGHTING,
                  GL_LIGHT0}),
              (Ints{GL_LEQUAL, GL_SRC_ALPHA, GL_ONE, 1, 1, 0, 0, 0}));
    // A 45 degree perspective with aspect 4:3, near 1 and far 500; a model-view for the pixel view to keep.
    glTranslatef(3, 0.25f, -5);
    const auto matrices = gl<double>({GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX}, 16);
    const double f = 1.0 / std::tan(45.0 * M_PI / 360.0);
    for (auto [k, value] : {std::pair{0, f * 480.0 / 640.0}, {5, f}, {10, -501.0 / 499.0}, {14, -1000.0 / 499.0}})
        EXPECT_NEAR(matrices[k], value, 1e-6) << k;

    // The pixel view puts (0, 0) at the top left and (640, 480) at the bottom right.
    s.view_ortho();
    const auto ortho = gl<double>({GL_PROJECTION_MATRIX}, 16);
    for (auto [k, value] : {std::pair{0, 2.0 / 640}, {5, -2.0 / 480}, {12, -1.0}, {13, 1.0}})
        EXPECT_NEAR(ortho[k], value, 1e-7) << k;
    EXPECT_EQ(gl({GL_MODELVIEW_MATRIX}, 16), (Ints{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    glTranslatef(20, 420, 0);
    s.view_perspective();
    EXPECT_EQ(gl<double>({GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX}, 16), matrices);
    EXPECT_EQ(gl({GL_MATRIX_MODE, GL_PROJECTION_STACK_DEPTH, GL_MODELVIEW_STACK_DEPTH}), (Ints{GL_MODELVIEW, 1, 1}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// What the screen-mode constructors record and create; they leave the window open and the library running.
TEST(Screen, ModeConstructors)
{
    constexpr std::int32_t gl_flag = Tscreen::mode_opengl, ms = Tscreen::mode_multisample;
    // Colour depth (0: the default constructor) and samples; sizes, render sizes, channel bits, 1 for each
    // texture, for two distinct ones, for samples, for texturing on, and the flags after.
    for (const auto& [depth, samples, expected] :
         {std::tuple{0, 0, Ints{640, 480, 256, 256, 8, 8, 8, 8, 0, 0, 0, 0, 0, gl_flag}},
          {32, 0, Ints{96, 80, 64, 64, 8, 8, 8, 8, 1, 1, 1, 0, 1, gl_flag}},
          {24, 4, Ints{96, 80, 64, 64, 6, 6, 6, 6, 1, 1, 1, 1, 1, gl_flag | ms}}}) {
        std::int32_t flags = gl_flag;
        const auto screen = depth ? std::make_unique<Tscreen>(96, 80, depth, 1, samples, flags)
                                  : std::make_unique<Tscreen>();
        const Tscreen& s = *screen;
        for (const std::uint32_t* buffer : {s.bloom_pixels.get(), s.bloom_scratch.get()})
            EXPECT_TRUE(buffer && std::all_of(buffer, buffer + 64 * 64, [](std::uint32_t p) { return p == 0; }));
        int width = 0, height = 0;
        glfwGetFramebufferSize(screen::window(), &width, &height);
        EXPECT_EQ((Ints{s.bloom_width, s.bloom_height, s.depth_bits, s.stencil_bits, s.window_mode, s.owns_glfw,
                        s.gl_version != nullptr, width, height, glfwGetWindowMonitor(screen::window()) != nullptr,
                        gl({GL_DEPTH_BITS})[0], gl({GL_TEXTURE_BINDING_2D})[0] == s.bloom_texture}),
                  (Ints{64, 64, 24, 24, 0, 0, 1, s.width, s.height, 0, 24, 1}));
        EXPECT_EQ((Ints{s.width, s.height, s.render_width, s.render_height, s.red_bits, s.green_bits, s.blue_bits,
                        s.alpha_bits, s.render_texture != 0, s.bloom_texture != 0, s.bloom_texture != s.render_texture,
                        gl({GL_SAMPLES})[0] > 0, glIsEnabled(GL_TEXTURE_2D), flags}),
                  expected);
    }
    EXPECT_TRUE(screen::window() && glfwGetCurrentContext() == screen::window()) << "window kept";
    std::int32_t flags = gl_flag | Tscreen::mode_full_screen;
    const Tscreen screen(640, 480, 32, 1, 0, flags);
    EXPECT_NE(glfwGetWindowMonitor(screen::window()), nullptr);
    screen::terminate();
}

TEST(Screen, GlowAndBloom)
{
    constexpr int size = 128;
    std::int32_t flags = Tscreen::mode_opengl;
    auto screen = std::make_unique<Tscreen>(size, size, 32, 1, 0, flags);
    // The render area and the bloom's read-back are the lower-left 64 x 64 pixels.
    screen->start_render2texture();
    EXPECT_EQ(gl({GL_VIEWPORT}, 4), (Ints{0, 0, 64, 64}));
    paint(image_of(pattern));
    screen->stop_render2texture();
    EXPECT_EQ(gl({GL_VIEWPORT}, 4), (Ints{0, 0, size, size}));
    EXPECT_EQ(texture_image(screen->render_texture), image_of(pattern));
    screen->do_bloom(0);
    EXPECT_EQ(gl({GL_TEXTURE_2D, GL_TEXTURE_BINDING_2D}), (Ints{1, screen->bloom_texture}));
    EXPECT_EQ(texture_image(screen->bloom_texture), image_of(pattern)) << "no passes: the pixels as read";
    // One pass spreads a lone pixel: 255 / 5 = 51 across, then 51 / 5 = 10 down; alpha is never averaged.
    paint(image_of([](int i, int j) { return i == 32 && j == 32 ? Rgba{255, 255, 255, 255} : Rgba{0, 0, 0, 255}; }));
    screen->do_bloom(1);
    const std::vector<Rgba> spread = image_of([](int i, int j) {
        return std::max(std::abs(i - 32), std::abs(j - 32)) <= 2 ? Rgba{10, 10, 10, 255} : Rgba{0, 0, 0, 255};
    });
    EXPECT_EQ(texture_image(screen->bloom_texture), spread);
    // Without bloom buffers, as on the application's screen, it touches no pixels.
    screen->bloom_pixels.reset();
    screen->bloom_scratch.reset();
    screen->do_bloom(1);
    EXPECT_EQ(texture_image(screen->bloom_texture), spread);

    // Each draw adds to a known colour its copies of the texture's `inset` to 1 - inset part, moved by the
    // first `copies` glow offsets (y down), at the colour and alpha scales, each rounded to 8 bits, saturating.
    // It leaves blending and texturing off, its blend function set, both matrices popped, model-view current.
    using Case = std::tuple<const char*, std::function<void()>, GLuint, GLenum, int, double, double, double>;
    const GLuint glow = screen->render_texture, bloom = screen->bloom_texture;
    const Case cases[] = {{"glow", [&] { screen->draw_glow(0.5f); }, glow, GL_SRC_ALPHA, 5, 0, 0.5, 0.25},
                          {"inset", [&] { screen->draw_glow(0.5f, 0.25f); }, glow, GL_ONE, 1, 0.25, 0.5, 0.5},
                          {"bloom", [&] { screen->draw_bloom(0.5f); }, bloom, GL_ONE, 1, 0, 1, 0.5}};
    constexpr std::array<int, 2> moves[] = {{0, 0}, {5, 0}, {-5, 0}, {0, 5}, {0, -5}};
    constexpr std::array<double, 4> base{10, 20, 30, 0};
    const auto channels = [](Rgba p) { return std::array<double, 4>{1.0 * p.r, 1.0 * p.g, 1.0 * p.b, 1.0 * p.a}; };
    for (const auto& [name, draw, texture, source_factor, copies, inset, colour_scale, alpha_scale] : cases) {
        SCOPED_TRACE(name);
        for (GLuint each : {glow, bloom}) {
            const auto image = each == texture ? image_of(pattern) : std::vector<Rgba>(texture_size * texture_size);
            glBindTexture(GL_TEXTURE_2D, each);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 64, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
        }
        glClearColor(base[0] / 255, base[1] / 255, base[2] / 255, base[3] / 255);
        glClear(GL_COLOR_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glBlendFunc(GL_ZERO, GL_ZERO);
        draw();
        EXPECT_EQ(gl({GL_BLEND, GL_TEXTURE_2D, GL_BLEND_SRC, GL_BLEND_DST, GL_MATRIX_MODE, GL_PROJECTION_STACK_DEPTH,
                      GL_MODELVIEW_STACK_DEPTH}),
                  (Ints{0, 0, source_factor, GL_ONE, GL_MODELVIEW, 1, 1}));
        // Probes clear of texel and quadrant boundaries, either side of the moved copies' edges.
        const auto pixels = test_support::read_pixels(size, size);
        for (int probe = 0; probe < 36; ++probe) {
            constexpr int probes[] = {4, 5, 40, 88, 122, 123};
            const int x = probes[probe % 6], y = probes[probe / 6];
            std::array<double, 4> expected = base;
            for (int n = 0; n < copies; ++n) {
                const double s = (x + 0.5 - moves[n][0]) / size, t = (y + 0.5 + moves[n][1]) / size;
                const auto texel = channels(pattern(int((inset + (1 - 2 * inset) * s) * texture_size),
                                                    int((inset + (1 - 2 * inset) * t) * texture_size)));
                for (int k = 0; k < 4 && std::min(s, t) >= 0 && std::max(s, t) < 1; ++k)
                    expected[k] += texel[k] * (k < 3 ? colour_scale : alpha_scale);
            }
            for (int k = 0; k < 4; ++k)
                EXPECT_NEAR(channels(pixels[y * size + x])[k], std::min(expected[k], 255.0), 3.0) << x << ", " << y;
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    screen.reset();
    screen::terminate();
}

// Each runs in a child that has not started the window library before; errors 1 and 4 end with their report.
TEST(Screen, FailuresEndTheProgram)
{
    std::int32_t flags = Tscreen::mode_opengl;
    using Case = std::tuple<std::function<void()>, int, std::string>;
    for (const auto& [body, status, output] :
         {Case{[] {
                   Tscreen(0, 0, 0);
                   std::abort();
               },
               0, ""},
          // Any non-zero flag asks for full screen.
          Case{[] { std::_Exit(Tscreen(640, 480, 7).window_mode == 0x00010002 ? 0 : 1); }, 0, ""},
          Case{[&] { Tscreen(0, 0, 32, 1, 0, flags); }, 1, ""},
          Case{[] {
                   refuse_nothrow_arrays = true;
                   Tscreen();
               },
               4, ""},
          Case{[&] {
                   refuse_nothrow_arrays = true;
                   Tscreen(64, 64, 32, 1, 0, flags);
               },
               4, ""}}) {
        const auto [exited, printed, reported] = test_support::run_in_child(body);
        const std::string error = status == 1 ? "1 (illegal function call)" : "4 (out of memory)";
        const std::string report = "\r\nAborting due to runtime error " + error + " in TSCREEN::TSCREEN()\r\n\r\n";
        EXPECT_EQ(std::tie(exited, printed, reported), std::tuple(status, output, status ? report : ""));
    }
}
