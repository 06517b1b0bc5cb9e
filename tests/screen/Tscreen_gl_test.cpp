// The screen on a real display: the editor's window, its GL start state and views, the failures; and the effects,
// which neither program draws, to their essentials: a mode screen renders into a texture and blooms it.
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

constexpr int texture_size = 64;
bool refuse_nothrow_arrays = false; // While set, every nothrow array allocation fails.

// A texture's 64 x 64 texels, in room for one four times too large: its rows would then wrap.
std::vector<Rgba> texture_image(GLuint texture)
{
    std::vector<Rgba> image(16 * texture_size * texture_size);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    return {image.begin(), image.begin() + texture_size * texture_size};
}

// Black with one white pixel at (32, y), drawn from the viewport's lower-left corner.
std::vector<Rgba> paint_lone_pixel(int y)
{
    std::vector<Rgba> image(texture_size * texture_size, Rgba{0, 0, 0, 255});
    image[y * texture_size + 32] = {255, 255, 255, 255};
    glDisable(GL_TEXTURE_2D);
    glRasterPos2i(-1, -1);
    glDrawPixels(texture_size, texture_size, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    return image;
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

// A mode screen: 64 x 64 cleared bloom buffers and two textures; the render area is the lower-left 64 x 64 pixels,
// copied into the render texture; bloom reads them back, and one pass spreads a lone pixel: 255 / 5 = 51 across, then
// 51 / 5 = 10 down, alpha never averaged. Without bloom buffers it touches no pixels. The window and library stay.
TEST(Screen, AModeScreenRendersIntoATextureAndBlooms)
{
    std::int32_t flags = Tscreen::mode_opengl;
    auto screen = std::make_unique<Tscreen>(128, 128, 32, 1, 0, flags);
    for (const std::uint32_t* buffer : {screen->bloom_pixels.get(), screen->bloom_scratch.get()})
        EXPECT_TRUE(buffer && std::all_of(buffer, buffer + 64 * 64, [](std::uint32_t p) { return p == 0; }));
    EXPECT_EQ((Ints{screen->bloom_width, screen->render_width, screen->owns_glfw, flags,
                    screen->render_texture != screen->bloom_texture && screen->bloom_texture != 0}),
              (Ints{64, 64, 0, Tscreen::mode_opengl, 1}));
    screen->start_render2texture();
    EXPECT_EQ(gl({GL_VIEWPORT}, 4), (Ints{0, 0, 64, 64}));
    const std::vector<Rgba> painted = paint_lone_pixel(40);
    screen->stop_render2texture();
    EXPECT_EQ(gl({GL_VIEWPORT}, 4), (Ints{0, 0, 128, 128}));
    EXPECT_EQ(texture_image(screen->render_texture), painted);
    screen->do_bloom(0);
    EXPECT_EQ(texture_image(screen->bloom_texture), painted) << "no passes: the pixels as read";
    paint_lone_pixel(32);
    screen->do_bloom(1);
    std::vector<Rgba> spread(texture_size * texture_size, Rgba{0, 0, 0, 255});
    for (int k = 0; k < texture_size * texture_size; ++k)
        if (std::max(std::abs(k % texture_size - 32), std::abs(k / texture_size - 32)) <= 2)
            spread[k] = {10, 10, 10, 255};
    EXPECT_EQ(texture_image(screen->bloom_texture), spread);
    screen->bloom_pixels.reset();
    screen->bloom_scratch.reset();
    screen->do_bloom(1);
    EXPECT_EQ(texture_image(screen->bloom_texture), spread);
    screen.reset();
    EXPECT_TRUE(screen::window() && glfwGetCurrentContext() == screen::window()) << "window kept";
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
