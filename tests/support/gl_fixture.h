// A hidden GLFW window with a compatibility context (Mesa's software renderer under Xvfb) to draw and read back.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

struct GLFWwindow;

namespace test_support {

struct Rgba {
    std::uint8_t r, g, b, a;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

using Ints = std::vector<long long>;

// The first `count` values of each GL state in `names`.
template <class T = long long>
std::vector<T> gl(std::initializer_list<GLenum> names, int count = 1)
{
    std::vector<T> values;
    for (GLenum name : names) {
        GLdouble value[16];
        glGetDoublev(name, value);
        values.insert(values.end(), value, value + count);
    }
    return values;
}

class Gl_test : public ::testing::Test {
protected:
    int width = 128, height = 128; // tests may change the size before SetUp
    GLFWwindow* window = nullptr;

    void SetUp() override;
    void TearDown() override; // fails the test on a pending GL error
    // The window's pixels, bottom row first.
    std::vector<Rgba> read_framebuffer() const;
    // Opaque black colour and cleared depth, identity matrices.
    void clear_to_black() const;
};

} // namespace test_support
