// The view set on window size changes, and the axes, on a real context.
#include "app/scene.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <tuple>

using SceneTest = test_support::Gl_test;

TEST_F(SceneTest, ViewFollowsTheSizeWithFortyDegreesAndTheCameraAndAxesLeaveBlue)
{
    // From the camera at (-1, 0, 3) the origin is sqrt(10) away, in the middle; the view's top edge is 20 degrees
    // above it, its right edge `aspect` times as far along (3, 0, 1), the camera's right.
    const double edge = std::tan(20.0 * M_PI / 180.0);
    const GLdouble identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (const auto& [width, height] : {std::pair{800, 400}, std::pair{400, 400}}) {
        windowsizecb(width, height);
        GLint viewport[4], mode;
        GLdouble m[16], x, y, z;
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        glGetDoublev(GL_PROJECTION_MATRIX, m);
        EXPECT_EQ(std::tuple(viewport[2], viewport[3], mode), std::tuple(width, height, GL_PROJECTION));
        gluProject(0, 0, 0, identity, m, viewport, &x, &y, &z);
        EXPECT_NEAR(x, width / 2, 1e-3);
        EXPECT_NEAR(y, height / 2, 1e-3);
        gluProject(0, std::sqrt(10.0) * edge, 0, identity, m, viewport, &x, &y, &z);
        EXPECT_NEAR(y, height, 1e-2);
        const double side = edge * width / height;
        gluProject(3 * side, 0, side, identity, m, viewport, &x, &y, &z);
        EXPECT_NEAR(x, width, 1e-2);
    }
    // A minimised window has no height: the projection stays as it was.
    const auto before = test_support::gl<double>({GL_PROJECTION_MATRIX}, 16);
    windowsizecb(640, 0);
    EXPECT_EQ(test_support::gl<double>({GL_PROJECTION_MATRIX}, 16), before);

    glColor3f(1, 1, 0);
    scene::draw_axes(100.0f);
    EXPECT_EQ(test_support::gl<float>({GL_CURRENT_COLOR}, 3), (std::vector<float>{0, 0, 1}));
}
