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
    bool operator==(const Rgba& other) const
    {
        return r == other.r && g == other.g && b == other.b && a == other.a;
    }
};

// A framebuffer read back with glReadPixels, bottom row first.
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
    // Window size for the fixture; tests may override before SetUp.
    int width = 128, height = 128;

    void SetUp() override;
    void TearDown() override;

    Framebuffer read_framebuffer() const;
    // Opaque black colour and cleared depth, identity matrices.
    void clear_to_black() const;

    GLFWwindow* window = nullptr;
};

} // namespace test_support
