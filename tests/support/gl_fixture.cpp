#include "tests/support/gl_fixture.h"

#include <GLFW/glfw3.h>

namespace test_support {

std::vector<Rgba> Gl_test::read_framebuffer() const
{
    std::vector<Rgba> pixels(static_cast<std::size_t>(width) * height);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void Gl_test::SetUp()
{
    // A missing display must fail the GL tests, not skip them.
    ASSERT_TRUE(glfwInit()) << "no display for the GL tests (run them on a virtual display)";
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    window = glfwCreateWindow(width, height, "gl test", nullptr, nullptr);
    ASSERT_NE(window, nullptr) << "no GL window could be created";
    glfwMakeContextCurrent(window);
    clear_to_black();
}

void Gl_test::TearDown()
{
    if (window) {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    glfwTerminate(); // destroys the window too
}

void Gl_test::clear_to_black() const
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

} // namespace test_support
