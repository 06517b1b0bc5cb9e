// The screen's window, its GL start state and its 2D view, on a real
// context opened by the screen itself.
#include "screen/Tscreen.h"
#include "tests/support/child_process.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

class ScreenTest : public ::testing::Test {
protected:
    std::unique_ptr<Tscreen> screen = std::make_unique<Tscreen>(640, 480, 0);

    void SetUp() override { screen->init_gl_screen(); }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }
};

struct Matrix {
    GLdouble m[16];
    bool operator==(const Matrix& other) const { return std::memcmp(m, other.m, sizeof m) == 0; }
};

Matrix current(GLenum which)
{
    Matrix matrix;
    glGetDoublev(which, matrix.m);
    return matrix;
}

} // namespace

TEST_F(ScreenTest, OpensTheWindowAsAskedAndSetsTheStartState)
{
    EXPECT_TRUE(screen->width == 640 && screen->height == 480);
    for (int bits : {screen->red_bits, screen->alpha_bits, screen->depth_bits, screen->stencil_bits})
        EXPECT_EQ(bits, 8);
    EXPECT_EQ(screen->window_mode, 0x00010001);
    EXPECT_EQ(screen->owns_glfw, 1);
    EXPECT_STREQ(screen->gl_version, reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    EXPECT_EQ(screen->render_width | screen->render_texture | screen->bloom_width | screen->bloom_texture, 0u);
    EXPECT_FALSE(screen->bloom_pixels || screen->bloom_scratch);

    GLint viewport[4], depth_function, source, destination;
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_TRUE(viewport[0] == 0 && viewport[1] == 0 && viewport[2] == 640 && viewport[3] == 480);
    // A 45 degree perspective with aspect 4:3, near 1 and far 500.
    const Matrix projection = current(GL_PROJECTION_MATRIX);
    const double f = 1.0 / std::tan(45.0 * M_PI / 360.0);
    EXPECT_NEAR(projection.m[0], f * 480.0 / 640.0, 1e-6);
    EXPECT_NEAR(projection.m[5], f, 1e-6);
    EXPECT_NEAR(projection.m[10], -501.0 / 499.0, 1e-6);
    EXPECT_NEAR(projection.m[14], -1000.0 / 499.0, 1e-6);
    glGetIntegerv(GL_DEPTH_FUNC, &depth_function);
    EXPECT_EQ(depth_function, GL_LEQUAL);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_TRUE(clear[0] == 0 && clear[1] == 0 && clear[2] == 0 && clear[3] == 1);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FALSE(glIsEnabled(GL_BLEND) || glIsEnabled(GL_LIGHTING) || glIsEnabled(GL_LIGHT0));
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_TRUE(source == GL_SRC_ALPHA && destination == GL_ONE);
}

TEST_F(ScreenTest, OrthoViewMapsThePixelGridFromTheTopLeftAndPerspectiveRestores)
{
    glTranslatef(3, 0.25f, -5);
    const Matrix model = current(GL_MODELVIEW_MATRIX);
    const Matrix projection = current(GL_PROJECTION_MATRIX);

    screen->view_ortho();
    glDisable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glBegin(GL_POINTS);
    glVertex2f(0.5f, 0.5f);
    glVertex2f(639.5f, 479.5f);
    glEnd();
    unsigned char top_left[4], bottom_right[4], bottom_left[4];
    glReadPixels(0, 479, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, top_left);
    glReadPixels(639, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, bottom_right);
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, bottom_left);
    EXPECT_TRUE(top_left[0] == 255 && bottom_right[0] == 255 && bottom_left[0] == 0);
    glTranslatef(20, 420, 0);
    screen->view_perspective();

    EXPECT_TRUE(current(GL_MODELVIEW_MATRIX) == model);
    EXPECT_TRUE(current(GL_PROJECTION_MATRIX) == projection);
    GLint mode, depth;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST(ScreenFailure, WindowLibraryFailuresEndWithStatus0)
{
    const auto no_display = test_support::run_in_child([] {
        unsetenv("DISPLAY");
        Tscreen screen(640, 480, 0);
        std::abort();  // not reached
    });
    EXPECT_EQ(no_display.exit_status, 0);
    EXPECT_EQ(no_display.standard_output, "Failed to initialize GLFW!\n");

    const auto refused = test_support::run_in_child([] {
        Tscreen screen(0, 0, 0);
        std::abort();
    });
    EXPECT_EQ(refused.exit_status, 0);
    EXPECT_EQ(refused.standard_output + refused.standard_error, "");

    const auto full_screen = test_support::run_in_child([] {
        Tscreen screen(640, 480, 7);
        std::_Exit(screen.window_mode == 0x00010002 ? 0 : 1);
    });
    EXPECT_EQ(full_screen.exit_status, 0) << "any non-zero flag asks for full screen";
}
