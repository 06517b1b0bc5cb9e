#include "tests/support/gl_fixture.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>

namespace test_support {

int Framebuffer::lit_count() const
{
    int count = 0;
    for (const Rgba& pixel : pixels)
        count += (pixel.r | pixel.g | pixel.b) != 0;
    return count;
}

Framebuffer read_pixels(int width, int height)
{
    Framebuffer framebuffer{width, height, std::vector<Rgba>(static_cast<std::size_t>(width) * height)};
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, framebuffer.pixels.data());
    return framebuffer;
}

void Gl_test::SetUp()
{
    // A missing display must fail the GL tests, not skip them.
    ASSERT_TRUE(glfwInit()) << "no display for the GL tests (run them on a virtual display)";
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    window = glfwCreateWindow(width, height, "gl test", nullptr, nullptr);
    ASSERT_NE(window, nullptr) << "no GL window could be created";
    glfwMakeContextCurrent(window);
    glViewport(0, 0, width, height);
    clear_to_black();
}

void Gl_test::TearDown()
{
    if (window) {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        glfwDestroyWindow(window);
    }
    glfwTerminate();
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
