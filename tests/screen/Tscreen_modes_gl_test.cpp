// The screen-mode constructors on a real display: the modes they ask for,
// the fields and resources they leave, and the two ways they end the program.
#include "screen/Tscreen.h"
#include "screen/glfw_layer.h"
#include "tests/support/child_process.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <array>
#include <new>
#include <vector>

namespace {

// While set, every nothrow array allocation in this process fails.
bool refuse_nothrow_arrays = false;

constexpr std::size_t bloom_pixel_count = 64 * 64;

// These screens leave the window library running; the test ends it.
class ScreenModes : public ::testing::Test {
protected:
    void TearDown() override { glfw_layer::terminate(); }
};

void expect_zero_filled(const std::uint32_t* pixels)
{
    ASSERT_NE(pixels, nullptr);
    const std::vector<std::uint32_t> zeros(bloom_pixel_count, 0);
    EXPECT_EQ(std::vector<std::uint32_t>(pixels, pixels + bloom_pixel_count), zeros);
}

// Red, green, blue, alpha, depth and stencil.
std::array<std::int32_t, 6> recorded_bits(const Tscreen& screen)
{
    return {screen.red_bits, screen.green_bits, screen.blue_bits, screen.alpha_bits, screen.depth_bits,
            screen.stencil_bits};
}

// The screen, the render area and the bloom buffers.
std::array<std::uint32_t, 6> recorded_sizes(const Tscreen& screen)
{
    return {screen.width, screen.height, screen.render_width, screen.render_height, screen.bloom_width,
            screen.bloom_height};
}

GLint bound_texture_parameter(GLenum parameter)
{
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
    return value;
}

GLint level_0(GLenum parameter)
{
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, parameter, &value);
    return value;
}

} // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    if (refuse_nothrow_arrays)
        return nullptr;
    try {
        return ::operator new[](size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

TEST_F(ScreenModes, DefaultScreenIs640x480WithZeroFilledBloomBuffersAndNoTextures)
{
    {
        const Tscreen screen;
        EXPECT_EQ(recorded_sizes(screen), (std::array<std::uint32_t, 6>{640, 480, 256, 256, 64, 64}));
        EXPECT_EQ(recorded_bits(screen), (std::array<std::int32_t, 6>{8, 8, 8, 8, 24, 24}));
        EXPECT_EQ(screen.window_mode, 0);
        EXPECT_NE(screen.gl_version, nullptr);
        EXPECT_EQ(screen.owns_glfw, 0);
        EXPECT_EQ(screen.render_texture, 0u);
        EXPECT_EQ(screen.bloom_texture, 0u);
        expect_zero_filled(screen.bloom_pixels.get());
        expect_zero_filled(screen.bloom_scratch.get());

        int framebuffer_width = 0, framebuffer_height = 0;
        glfwGetFramebufferSize(glfw_layer::window(), &framebuffer_width, &framebuffer_height);
        EXPECT_EQ(framebuffer_width, 640);
        EXPECT_EQ(framebuffer_height, 480);
        GLint depth = 0;
        glGetIntegerv(GL_DEPTH_BITS, &depth);
        EXPECT_EQ(depth, 24);
    }
    // Destroyed, it leaves the library, the window and its context alone.
    ASSERT_NE(glfw_layer::window(), nullptr);
    EXPECT_EQ(glfwGetCurrentContext(), glfw_layer::window());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ScreenModes, ColourDepthGivesTheChannelBitsAndSamplesSetTheMultisampleFlag)
{
    struct Case {
        std::int32_t colour_depth, samples, channel_bits, flags_after;
    };
    for (const Case& c : {Case{32, 0, 8, Tscreen::mode_opengl}, Case{16, 0, 4, Tscreen::mode_opengl},
                          Case{24, 4, 6, Tscreen::mode_opengl | Tscreen::mode_multisample}}) {
        std::int32_t flags = Tscreen::mode_opengl;
        const Tscreen screen(96, 80, c.colour_depth, 1, c.samples, flags);
        EXPECT_EQ(flags, c.flags_after) << "samples " << c.samples;
        const std::int32_t channel = c.channel_bits;
        EXPECT_EQ(recorded_bits(screen), (std::array<std::int32_t, 6>{channel, channel, channel, channel, 24, 24}))
            << "colour depth " << c.colour_depth;
        GLint samples = 0;
        glGetIntegerv(GL_SAMPLES, &samples);
        EXPECT_EQ(samples > 0, c.samples > 0) << "samples " << c.samples << " gave " << samples;
    }
}

TEST_F(ScreenModes, ModeScreenCreatesBothTexturesAndLeavesTheBloomTextureBound)
{
    std::int32_t flags = Tscreen::mode_opengl;
    const Tscreen screen(96, 80, 32, 1, 0, flags);
    EXPECT_EQ(recorded_sizes(screen), (std::array<std::uint32_t, 6>{96, 80, 64, 64, 64, 64}));
    EXPECT_EQ(screen.window_mode, 0);
    EXPECT_EQ(screen.owns_glfw, 0);
    EXPECT_NE(screen.gl_version, nullptr);
    EXPECT_EQ(glfwGetWindowMonitor(glfw_layer::window()), nullptr) << "windowed without the full-screen flag";
    expect_zero_filled(screen.bloom_pixels.get());
    expect_zero_filled(screen.bloom_scratch.get());

    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), screen.bloom_texture);

    ASSERT_NE(screen.bloom_texture, 0u);
    EXPECT_EQ(level_0(GL_TEXTURE_WIDTH), 64);
    EXPECT_EQ(level_0(GL_TEXTURE_HEIGHT), 64);
    for (GLenum filter : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
        EXPECT_EQ(bound_texture_parameter(filter), GL_LINEAR);
    std::vector<std::uint32_t> texels(bloom_pixel_count, 0xFFFFFFFFu);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(texels, std::vector<std::uint32_t>(bloom_pixel_count, 0));

    ASSERT_NE(screen.render_texture, 0u);
    ASSERT_NE(screen.render_texture, screen.bloom_texture);
    glBindTexture(GL_TEXTURE_2D, screen.render_texture);
    EXPECT_EQ(level_0(GL_TEXTURE_WIDTH), 0) << "the copy defines the image";
    for (GLenum filter : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
        EXPECT_EQ(bound_texture_parameter(filter), GL_LINEAR);
    for (GLenum wrap : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T})
        EXPECT_EQ(bound_texture_parameter(wrap), GL_REPEAT);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ScreenModes, FullScreenFlagOpensOnTheMonitor)
{
    std::int32_t flags = Tscreen::mode_opengl | Tscreen::mode_full_screen;
    const Tscreen screen(640, 480, 32, 1, 0, flags);
    EXPECT_NE(glfwGetWindowMonitor(glfw_layer::window()), nullptr);
}

// Both end the process, so each runs in a child that has not started the
// window library before.
TEST(ScreenModeFailures, RefusedModeEndsWithTheFatalErrorReport)
{
    const auto result = test_support::run_in_child([] {
        std::int32_t flags = Tscreen::mode_opengl;
        const Tscreen screen(0, 0, 32, 1, 0, flags);
    });
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.standard_error,
              "\r\nAborting due to runtime error 1 (illegal function call) in TSCREEN::TSCREEN()\r\n\r\n");
}

TEST(ScreenModeFailures, UnallocatableBloomBufferEndsWithError4)
{
    const auto default_screen = test_support::run_in_child([] {
        refuse_nothrow_arrays = true;
        const Tscreen screen;
    });
    const auto mode_screen = test_support::run_in_child([] {
        refuse_nothrow_arrays = true;
        std::int32_t flags = Tscreen::mode_opengl;
        const Tscreen screen(64, 64, 32, 1, 0, flags);
    });
    for (const auto& result : {default_screen, mode_screen}) {
        EXPECT_EQ(result.exit_status, 4);
        EXPECT_EQ(result.standard_error,
                  "\r\nAborting due to runtime error 4 (out of memory) in TSCREEN::TSCREEN()\r\n\r\n");
    }
}
