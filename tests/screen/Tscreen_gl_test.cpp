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

// Where a point lands in window coordinates under the current matrices.
void project(double x, double y, const GLint viewport[4], double& window_x, double& window_y)
{
    const Matrix model = current(GL_MODELVIEW_MATRIX);
    const Matrix projection = current(GL_PROJECTION_MATRIX);
    double eye[4], clip[4];
    for (int row = 0; row < 4; ++row)
        eye[row] = model.m[row] * x + model.m[4 + row] * y + model.m[12 + row];
    for (int row = 0; row < 4; ++row)
        clip[row] = projection.m[row] * eye[0] + projection.m[4 + row] * eye[1] + projection.m[8 + row] * eye[2] +
                    projection.m[12 + row] * eye[3];
    window_x = viewport[0] + (clip[0] / clip[3] + 1) * viewport[2] / 2;
    window_y = viewport[1] + (clip[1] / clip[3] + 1) * viewport[3] / 2;
}

} // namespace

TEST_F(ScreenTest, OpensTheWindowAsAsked)
{
    EXPECT_EQ(screen->width, 640u);
    EXPECT_EQ(screen->height, 480u);
    for (int bits : {screen->red_bits, screen->green_bits, screen->blue_bits, screen->alpha_bits, screen->depth_bits,
                     screen->stencil_bits})
        EXPECT_EQ(bits, 8);
    EXPECT_EQ(screen->window_mode, 0x00010001);
    EXPECT_EQ(screen->owns_glfw, 1);
    ASSERT_NE(screen->gl_version, nullptr);
    EXPECT_STREQ(screen->gl_version, reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    EXPECT_EQ(screen->render_width | screen->render_height | screen->render_texture, 0u);
    EXPECT_EQ(screen->bloom_width | screen->bloom_height | screen->bloom_texture, 0u);
    EXPECT_FALSE(screen->bloom_pixels || screen->bloom_scratch);
}

TEST_F(ScreenTest, StartStateIsThePerspectiveAndSwitches)
{
    screen->init_gl_screen();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);

    // A 45 degree perspective with aspect 4:3, near 1 and far 500.
    const Matrix projection = current(GL_PROJECTION_MATRIX);
    const double f = 1.0 / std::tan(45.0 * M_PI / 360.0);
    EXPECT_NEAR(projection.m[0], f / (640.0 / 480.0), 1e-6);
    EXPECT_NEAR(projection.m[5], f, 1e-6);
    EXPECT_NEAR(projection.m[10], -501.0 / 499.0, 1e-6);
    EXPECT_NEAR(projection.m[14], -1000.0 / 499.0, 1e-6);
    EXPECT_EQ(projection.m[11], -1.0);

    GLint mode, depth_function;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_DEPTH_FUNC, &depth_function);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(depth_function, GL_LEQUAL);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_TRUE(clear[0] == 0 && clear[1] == 0 && clear[2] == 0 && clear[3] == 1);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    GLint source, destination;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE);

    GLfloat light_position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, light_position);
    EXPECT_EQ(light_position[0], -7.0f);
    EXPECT_EQ(light_position[3], 1.0f);
}

TEST_F(ScreenTest, OrthoViewMapsThePixelGridFromTheTopLeft)
{
    screen->init_gl_screen();
    screen->view_ortho();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    double x, y;
    project(0, 0, viewport, x, y);
    EXPECT_NEAR(x, 0.0, 1e-3);
    EXPECT_NEAR(y, 480.0, 1e-3);  // window y grows upwards
    project(640, 480, viewport, x, y);
    EXPECT_NEAR(x, 640.0, 1e-3);
    EXPECT_NEAR(y, 0.0, 1e-3);

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
    EXPECT_EQ(top_left[0], 255);
    EXPECT_EQ(bottom_right[0], 255);
    EXPECT_EQ(bottom_left[0], 0);
    screen->view_perspective();
}

TEST_F(ScreenTest, PerspectiveViewRestoresBothMatricesExactly)
{
    screen->init_gl_screen();
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(3, 0.25f, -5);
    glRotatef(33, 1, 1, 0);
    const Matrix model = current(GL_MODELVIEW_MATRIX);
    const Matrix projection = current(GL_PROJECTION_MATRIX);
    GLint model_depth, projection_depth;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &model_depth);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projection_depth);

    screen->view_ortho();
    glTranslatef(20, 420, 0);
    screen->view_perspective();

    EXPECT_TRUE(current(GL_MODELVIEW_MATRIX) == model);
    EXPECT_TRUE(current(GL_PROJECTION_MATRIX) == projection);
    GLint mode, depth;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, model_depth);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, projection_depth);
}

TEST(ScreenFailure, NoWindowLibraryPrintsTheLineAndEndsWithStatus0)
{
    const auto result = test_support::run_in_child([] {
        unsetenv("DISPLAY");
        Tscreen screen(640, 480, 0);
        std::abort();  // not reached
    });
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.standard_output, "Failed to initialize GLFW!\n");
    EXPECT_EQ(result.standard_error, "");
}

TEST(ScreenFailure, RefusedWindowEndsSilentlyWithStatus0)
{
    const auto result = test_support::run_in_child([] {
        Tscreen screen(0, 0, 0);
        std::abort();  // not reached
    });
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.standard_output, "");
    EXPECT_EQ(result.standard_error, "");
}

TEST(ScreenFailure, AnyNonZeroFlagAsksForFullScreen)
{
    const auto result = test_support::run_in_child([] {
        Tscreen screen(640, 480, 7);
        std::_Exit(screen.window_mode == 0x00010002 ? 0 : 1);
    });
    EXPECT_EQ(result.exit_status, 0);
}
