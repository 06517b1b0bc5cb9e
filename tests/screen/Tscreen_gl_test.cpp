// The editor's screen on a real display: its window, GL start state and views, and how it fails. The effects and
// their screen modes, which neither program uses, are left to the blurs' own test.
#include "screen/Tscreen.h"
#include "tests/support/child_process.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

using test_support::gl, test_support::Ints;

TEST(Screen, WindowStartStateAndPixelView)
{
    Tscreen s(640, 480, 0);
    s.init_gl_screen();
    EXPECT_EQ((Ints{s.width, s.height, s.red_bits, s.green_bits, s.blue_bits, s.alpha_bits, s.depth_bits,
                    s.stencil_bits, s.window_mode, s.owns_glfw, s.bloom_pixels || s.bloom_scratch,
                    s.render_width | s.render_texture | s.bloom_width | s.bloom_texture}),
              (Ints{640, 480, 8, 8, 8, 8, 8, 8, 0x00010001, 1, 0, 0}));
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

    // The pixel view (where the overlay's text lands is the editor's end-to-end test's) keeps the model-view.
    s.view_ortho();
    EXPECT_EQ(gl({GL_MODELVIEW_MATRIX}, 16), (Ints{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    glTranslatef(20, 420, 0);
    s.view_perspective();
    EXPECT_EQ(gl<double>({GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX}, 16), matrices);
    EXPECT_EQ(gl({GL_MATRIX_MODE, GL_PROJECTION_STACK_DEPTH, GL_MODELVIEW_STACK_DEPTH}), (Ints{GL_MODELVIEW, 1, 1}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Each runs in a child that has not started the window library before.
TEST(Screen, FailuresEndTheProgramWithStatusZero)
{
    EXPECT_EQ(test_support::run_in_child([] {
                  Tscreen(0, 0, 0);
                  std::abort();
              }).exit_status,
              0);
    // Any non-zero flag asks for full screen.
    EXPECT_EQ(test_support::run_in_child([] {
                  std::_Exit(Tscreen(640, 480, 7).window_mode == 0x00010002 ? 0 : 1);
              }).exit_status,
              0);
}
