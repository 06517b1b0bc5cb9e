// The view set on window size changes, and the axes, on a real context.
#include "app/scene.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

class SceneTest : public test_support::Gl_test {
protected:
    static void projection(GLdouble m[16]) { glGetDoublev(GL_PROJECTION_MATRIX, m); }
};

} // namespace

TEST_F(SceneTest, ResizeKeepsTheFieldOfViewAndCameraAndFollowsTheAspect)
{
    windowsizecb(800, 400);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 400);
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);

    // The origin, 40 degrees of view and the camera at (-1, 0, 3) looking at it.
    GLdouble m[16];
    projection(m);
    const GLdouble identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const GLint full[4] = {0, 0, 800, 400};
    GLdouble x, y, z;
    gluProject(0, 0, 0, identity, m, full, &x, &y, &z);
    EXPECT_NEAR(x, 400, 1e-3);
    EXPECT_NEAR(y, 200, 1e-3);
    // A point at the top edge of the view, 40/2 degrees above the line of sight.
    const double distance = std::sqrt(10.0);
    const double up = distance * std::tan(20.0 * M_PI / 180.0);
    gluProject(0, up, 0, identity, m, full, &x, &y, &z);
    EXPECT_NEAR(y, 400, 1e-2);

    windowsizecb(400, 400);
    projection(m);
    const GLint square[4] = {0, 0, 400, 400};
    gluProject(0, up, 0, identity, m, square, &x, &y, &z);
    EXPECT_NEAR(y, 400, 1e-2) << "the vertical field of view does not change with the width";
}

TEST_F(SceneTest, ZeroHeightLeavesTheProjectionAlone)
{
    windowsizecb(640, 480);
    GLdouble before[16], after[16];
    projection(before);
    windowsizecb(640, 0);
    projection(after);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(before[i], after[i]);
    EXPECT_FALSE(std::isnan(after[0]));
}

TEST_F(SceneTest, AxesLeaveTheColourBlue)
{
    glColor3f(1, 1, 0);
    scene::draw_axes(100.0f);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_TRUE(colour[0] == 0 && colour[1] == 0 && colour[2] == 1);
}
