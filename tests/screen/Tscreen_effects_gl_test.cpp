// The glow and the bloom on a real context: what each copies, reads back or
// adds to a known framebuffer, and the GL state each leaves behind.
#include "screen/Tscreen.h"
#include "screen/glfw_layer.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

using test_support::Rgba;

namespace {

constexpr int screen_size = 128, texture_size = 64, quarter = texture_size / 4;

// Texel (i, j), row j from the bottom: quadrants, to show a flipped or swapped
// axis, in a frame, to show a wrong inset.
Rgba pattern(int i, int j)
{
    static constexpr Rgba colours[2][2] = {{{40, 0, 0, 255}, {0, 0, 40, 255}}, {{0, 40, 0, 255}, {40, 40, 0, 255}}};
    const bool frame = std::min(i, j) < quarter || std::max(i, j) >= texture_size - quarter;
    return frame ? Rgba{30, 30, 30, 255} : colours[i >= 2 * quarter][j >= 2 * quarter];
}

template <class Pattern>
std::vector<Rgba> image_of(Pattern pattern)
{
    std::vector<Rgba> image;
    for (int k = 0; k < texture_size * texture_size; ++k)
        image.push_back(pattern(k % texture_size, k / texture_size));
    return image;
}

std::vector<Rgba> texture_image(GLuint texture)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<Rgba> image(static_cast<std::size_t>(width) * height);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    return image;
}

// A blue window with the pattern's image from the viewport's lower-left corner.
template <class Pattern>
void paint(Pattern pattern)
{
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_TEXTURE_2D);
    glRasterPos2i(-1, -1);
    glDrawPixels(texture_size, texture_size, GL_RGBA, GL_UNSIGNED_BYTE, image_of(pattern).data());
}

template <std::size_t N = 1>
std::array<GLint, N> integers(GLenum name)
{
    std::array<GLint, N> values{};
    glGetIntegerv(name, values.data());
    return values;
}

class Effects : public ::testing::Test {
protected:
    std::int32_t flags = Tscreen::mode_opengl;
    std::unique_ptr<Tscreen> screen = std::make_unique<Tscreen>(screen_size, screen_size, 32, 1, 0, flags);

    void TearDown() override
    {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        screen.reset();
        glfw_layer::terminate(); // The mode screen leaves the window library running.
    }
};

} // namespace

// The render area and the bloom's read-back are the lower-left 64 x 64 pixels.
TEST_F(Effects, RenderToTextureAndBloomCopyTheLowerLeftArea)
{
    screen->start_render2texture();
    EXPECT_EQ(integers<4>(GL_VIEWPORT), (std::array<GLint, 4>{0, 0, 64, 64}));
    paint(pattern);
    screen->stop_render2texture();
    EXPECT_EQ(integers<4>(GL_VIEWPORT), (std::array<GLint, 4>{0, 0, screen_size, screen_size}));
    EXPECT_EQ(texture_image(screen->render_texture), image_of(pattern));

    screen->do_bloom(0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(static_cast<GLuint>(integers(GL_TEXTURE_BINDING_2D)[0]), screen->bloom_texture);
    EXPECT_EQ(texture_image(screen->bloom_texture), image_of(pattern)) << "no passes: the pixels as read";

    // One pass spreads a lone pixel: 255 / 5 = 51 across, then 51 / 5 = 10
    // down; alpha is never averaged.
    paint([](int i, int j) { return i == 32 && j == 32 ? Rgba{255, 255, 255, 255} : Rgba{0, 0, 0, 255}; });
    screen->do_bloom(1);
    const std::vector<Rgba> spread = image_of([](int i, int j) {
        return std::max(std::abs(i - 32), std::abs(j - 32)) <= 2 ? Rgba{10, 10, 10, 255} : Rgba{0, 0, 0, 255};
    });
    EXPECT_EQ(texture_image(screen->bloom_texture), spread);

    // Without bloom buffers, as on the application's screen, it touches no pixels.
    screen->bloom_pixels.reset();
    screen->bloom_scratch.reset();
    screen->do_bloom(1);
    EXPECT_EQ(texture_image(screen->bloom_texture), spread);
}

// Each draw adds to a known colour its copies of the texture's `inset` to 1 - inset part, moved by the
// first `copies` glow offsets (y down), at the colour and alpha scales, each rounded to 8 bits, saturating.
// It leaves blending and texturing off, its blend function set, both matrices popped, model-view current.
TEST_F(Effects, DrawsAddTheirTextureCopiesAndRestoreTheState)
{
    using Case = std::tuple<const char*, std::function<void()>, GLuint, GLenum, int, double, double, double>;
    const GLuint glow = screen->render_texture, bloom = screen->bloom_texture;
    const Case cases[] = {{"glow", [&] { screen->draw_glow(0.5f); }, glow, GL_SRC_ALPHA, 5, 0, 0.5, 0.25},
                          {"inset 0", [&] { screen->draw_glow(0.5f, 0.0f); }, glow, GL_ONE, 1, 0, 0.5, 0.5},
                          {"inset 0.25", [&] { screen->draw_glow(0.5f, 0.25f); }, glow, GL_ONE, 1, 0.25, 0.5, 0.5},
                          {"bloom", [&] { screen->draw_bloom(0.5f); }, bloom, GL_ONE, 1, 0, 1, 0.5}};
    constexpr std::array<int, 2> moves[] = {{0, 0}, {5, 0}, {-5, 0}, {0, 5}, {0, -5}};
    constexpr std::array<double, 4> base{10, 20, 30, 0};
    const auto channels = [](Rgba p) { return std::array<double, 4>{1.0 * p.r, 1.0 * p.g, 1.0 * p.b, 1.0 * p.a}; };
    for (const auto& [name, draw, texture, source_factor, copies, inset, colour_scale, alpha_scale] : cases) {
        SCOPED_TRACE(name);
        for (GLuint each : {glow, bloom}) {
            const auto image = each == texture ? image_of(pattern) : std::vector<Rgba>(texture_size * texture_size);
            glBindTexture(GL_TEXTURE_2D, each);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 64, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
        }
        glClearColor(base[0] / 255, base[1] / 255, base[2] / 255, base[3] / 255);
        glClear(GL_COLOR_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glBlendFunc(GL_ZERO, GL_ZERO);
        draw();
        EXPECT_EQ((std::vector<GLint>{glIsEnabled(GL_BLEND), glIsEnabled(GL_TEXTURE_2D), integers(GL_BLEND_SRC)[0],
                                      integers(GL_BLEND_DST)[0], integers(GL_MATRIX_MODE)[0],
                                      integers(GL_PROJECTION_STACK_DEPTH)[0], integers(GL_MODELVIEW_STACK_DEPTH)[0]}),
                  (std::vector<GLint>{0, 0, GLint(source_factor), GL_ONE, GL_MODELVIEW, 1, 1}));

        // Probes clear of texel and quadrant boundaries, either side of the moved copies' edges.
        const auto framebuffer = test_support::read_pixels(screen_size, screen_size);
        const double span = 1 - 2 * inset;
        for (int x : {4, 5, 40, 88, 122, 123})
            for (int y : {4, 5, 40, 88, 122, 123}) {
                std::array<double, 4> expected = base;
                for (int n = 0; n < copies; ++n) {
                    const double s = (x + 0.5 - moves[n][0]) / screen_size, t = (y + 0.5 + moves[n][1]) / screen_size;
                    if (std::min(s, t) < 0 || std::max(s, t) >= 1)
                        continue;
                    const auto texel = channels(pattern(static_cast<int>((inset + span * s) * texture_size),
                                                        static_cast<int>((inset + span * t) * texture_size)));
                    for (int k = 0; k < 4; ++k)
                        expected[k] += texel[k] * (k < 3 ? colour_scale : alpha_scale);
                }
                const auto shown = channels(framebuffer.at(x, y));
                for (int k = 0; k < 4; ++k)
                    EXPECT_NEAR(shown[k], std::min(expected[k], 255.0), 3.0) << x << ", " << y << ": " << k;
            }
    }
}
