// A hidden GLFW window with a compatibility context, for tests that draw and
// read the framebuffer back. Under Xvfb it runs on Mesa's software renderer.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

struct GLFWwindow;

namespace test_support {

struct Rgba {
    std::uint8_t r, g, b, a;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

// Pixels read back with glReadPixels, bottom row first.
struct Framebuffer {
    int width = 0, height = 0;
    std::vector<Rgba> pixels;
    const Rgba& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    // Pixels that are not the clear colour (opaque black).
    int lit_count() const;
};

// The lower-left width x height pixels of the current read buffer.
Framebuffer read_pixels(int width, int height);

class Gl_test : public ::testing::Test {
protected:
    int width = 128, height = 128;  // tests may change the size before SetUp
    GLFWwindow* window = nullptr;

    void SetUp() override;
    void TearDown() override;  // fails the test on a pending GL error
    Framebuffer read_framebuffer() const { return read_pixels(width, height); }
    // Opaque black colour and cleared depth, identity matrices.
    void clear_to_black() const;
};

} // namespace test_support
