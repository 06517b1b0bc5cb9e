// The screen-mode constructors on a real display, and the two ways they end the program.
#include "screen/Tscreen.h"
#include "screen/glfw_layer.h"
#include "tests/support/child_process.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <tuple>
#include <vector>

namespace {

bool refuse_nothrow_arrays = false; // While set, every nothrow array allocation fails.

using Fields = std::vector<std::int64_t>;

// Checks what these screens share. Returns the screen and render sizes, the channel bits, and 1 for
// each texture, for two distinct textures, for samples and for texturing on.
Fields checked_fields(const Tscreen& s)
{
    for (const std::uint32_t* buffer : {s.bloom_pixels.get(), s.bloom_scratch.get()})
        EXPECT_TRUE(buffer && std::all_of(buffer, buffer + 64 * 64, [](std::uint32_t p) { return p == 0; }));
    EXPECT_EQ((Fields{s.bloom_width, s.bloom_height, s.depth_bits, s.stencil_bits, s.window_mode, s.owns_glfw}),
              (Fields{64, 64, 24, 24, 0, 0}));
    EXPECT_NE(s.gl_version, nullptr);
    int width = 0, height = 0, depth = 0, samples = 0, bound = 0;
    glfwGetFramebufferSize(glfw_layer::window(), &width, &height);
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    glGetIntegerv(GL_SAMPLES, &samples);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    const bool full_screen = glfwGetWindowMonitor(glfw_layer::window()) != nullptr;
    EXPECT_EQ((Fields{width, height, depth, bound, full_screen}), (Fields{s.width, s.height, 24, s.bloom_texture, 0}));
    return {s.width, s.height, s.render_width, s.render_height, s.red_bits, s.green_bits, s.blue_bits, s.alpha_bits,
            s.render_texture != 0, s.bloom_texture != 0, s.bloom_texture != s.render_texture, samples > 0,
            glIsEnabled(GL_TEXTURE_2D)};
}

} // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return refuse_nothrow_arrays ? nullptr : ::operator new[](size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

TEST(ScreenModes, ConstructorsRecordTheirModeAndLeaveTheWindowLibraryAlone)
{
    std::int32_t flags = 0;
    const auto mode_screen = [&flags](std::int32_t colour_depth, std::int32_t samples) {
        flags = Tscreen::mode_opengl;
        return std::make_unique<Tscreen>(96, 80, colour_depth, 1, samples, flags);
    };
    constexpr std::int32_t gl = Tscreen::mode_opengl, ms = Tscreen::mode_multisample;
    using Case = std::tuple<std::function<std::unique_ptr<Tscreen>()>, std::int32_t, Fields>;
    for (const auto& [make, flags_after, expected] :
         {Case{[] { return std::make_unique<Tscreen>(); }, 0, {640, 480, 256, 256, 8, 8, 8, 8, 0, 0, 0, 0, 0}},
          Case{[&] { return mode_screen(32, 0); }, gl, {96, 80, 64, 64, 8, 8, 8, 8, 1, 1, 1, 0, 1}},
          Case{[&] { return mode_screen(24, 4); }, gl | ms, {96, 80, 64, 64, 6, 6, 6, 6, 1, 1, 1, 1, 1}}}) {
        std::unique_ptr<Tscreen> screen = make();
        EXPECT_EQ(checked_fields(*screen), expected);
        EXPECT_EQ(flags, flags_after);
        screen.reset();
        EXPECT_TRUE(glfw_layer::window() && glfwGetCurrentContext() == glfw_layer::window()) << "window kept";
    }
    flags = gl | Tscreen::mode_full_screen;
    const Tscreen screen(640, 480, 32, 1, 0, flags);
    EXPECT_NE(glfwGetWindowMonitor(glfw_layer::window()), nullptr);
    glfw_layer::terminate(); // These screens leave the window library running.
}

// Each runs in a child that has not started the window library before.
TEST(ScreenModeFailures, RefusedModeAndUnallocatableBloomBuffersEndWithTheFatalErrorReport)
{
    std::int32_t flags = Tscreen::mode_opengl;
    using Case = std::tuple<std::function<void()>, int, std::string>;
    for (const auto& [body, status, error] :
         {Case{[&] { Tscreen(0, 0, 32, 1, 0, flags); }, 1, "1 (illegal function call)"},
          Case{[] { refuse_nothrow_arrays = true; Tscreen(); }, 4, "4 (out of memory)"},
          Case{[&] { refuse_nothrow_arrays = true; Tscreen(64, 64, 32, 1, 0, flags); }, 4, "4 (out of memory)"}}) {
        const auto result = test_support::run_in_child(body);
        EXPECT_EQ(result.exit_status, status);
        EXPECT_EQ(result.standard_error,
                  "\r\nAborting due to runtime error " + error + " in TSCREEN::TSCREEN()\r\n\r\n");
    }
}
