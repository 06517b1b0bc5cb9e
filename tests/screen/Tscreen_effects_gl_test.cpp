// The glow and the bloom on a real context: what each copies, reads back or
// adds to a known framebuffer, worked out by the test from the texture it
// gave, and the GL state each leaves behind.
#include "screen/Tscreen.h"
#include "screen/glfw_layer.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using test_support::Rgba;

namespace {

constexpr int screen_size = 128;
constexpr int texture_size = 64;
constexpr int half = texture_size / 2;

// Texel (i, j), column i and row j counted from the bottom.
using Pattern = Rgba (*)(int i, int j);

// A colour per quadrant, so that a flipped or swapped axis shows.
Rgba quadrants(int i, int j)
{
    static constexpr Rgba colours[2][2] = {{{40, 0, 0, 255}, {0, 0, 40, 255}}, {{0, 40, 0, 255}, {40, 40, 0, 255}}};
    return colours[i >= half][j >= half];
}

// The quadrants inside a frame a quarter of the texture wide.
Rgba framed_quadrants(int i, int j)
{
    const int quarter = texture_size / 4;
    const bool frame = std::min(i, j) < quarter || std::max(i, j) >= texture_size - quarter;
    return frame ? Rgba{30, 30, 30, 255} : quadrants(i, j);
}

std::vector<Rgba> image_of(Pattern pattern)
{
    std::vector<Rgba> image;
    for (int j = 0; j < texture_size; ++j)
        for (int i = 0; i < texture_size; ++i)
            image.push_back(pattern(i, j));
    return image;
}

// The probes keep away from texel boundaries, where linear filtering mixes.
Rgba texel_at(Pattern pattern, double s, double t)
{
    return pattern(static_cast<int>(std::floor(s * texture_size)), static_cast<int>(std::floor(t * texture_size)));
}

void upload(GLuint texture, Pattern pattern)
{
    const std::vector<Rgba> image = image_of(pattern);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texture_size, texture_size, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 image.data());
}

std::vector<Rgba> texture_image(GLuint texture)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<Rgba> image(static_cast<std::size_t>(width) * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    return image;
}

std::vector<Rgba> bloom_buffer(const Tscreen& screen)
{
    std::vector<Rgba> pixels(std::size_t{screen.bloom_width} * screen.bloom_height);
    std::memcpy(pixels.data(), screen.bloom_pixels.get(), pixels.size() * sizeof(Rgba));
    return pixels;
}

// Fills a rectangle of the window, whatever the matrices and viewport.
void fill(int x, int y, int width, int height, Rgba colour)
{
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, width, height);
    glClearColor(colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, colour.a / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

std::array<GLint, 4> viewport()
{
    std::array<GLint, 4> box{};
    glGetIntegerv(GL_VIEWPORT, box.data());
    return box;
}

using Matrix = std::array<GLfloat, 16>;

Matrix matrix(GLenum which)
{
    Matrix values{};
    glGetFloatv(which, values.data());
    return values;
}

// Runs a draw after a 3D scene's set-up and checks what it leaves: blending
// and texturing off, its blend function, the scene's matrices back and
// model-view current.
template <class Draw>
void expect_draw_restores_state(Draw draw, GLenum source_factor, GLenum destination_factor)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, -3);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 10);
    const Matrix projection = matrix(GL_PROJECTION_MATRIX), modelview = matrix(GL_MODELVIEW_MATRIX);
    glBlendFunc(GL_ZERO, GL_ZERO);
    draw();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(integer(GL_BLEND_SRC), static_cast<GLint>(source_factor));
    EXPECT_EQ(integer(GL_BLEND_DST), static_cast<GLint>(destination_factor));
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), modelview);
}

using Colour = std::array<double, 4>;

Colour colour_of(Rgba pixel)
{
    return {double(pixel.r), double(pixel.g), double(pixel.b), double(pixel.a)};
}

void add(Colour& sum, Rgba texel, double colour_scale, double alpha_scale)
{
    const Colour texel_colour = colour_of(texel);
    for (int c = 0; c < 4; ++c)
        sum[c] += texel_colour[c] * (c < 3 ? colour_scale : alpha_scale);
}

// Blending rounds each copy to the framebuffer's 8 bits, and saturates.
void expect_pixel(const test_support::Framebuffer& framebuffer, int x, int y, const Colour& expected)
{
    const Colour actual = colour_of(framebuffer.at(x, y));
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(actual[c], std::min(expected[c], 255.0), 3.0)
            << "channel " << c << " of pixel (" << x << ", " << y << ")";
}

// One copy of the texture's inner part, inset to 1 - inset on both axes,
// over the whole window (y upwards).
Rgba stretched_texel(Pattern pattern, double inset, int x, int y)
{
    const double span = 1 - 2 * inset;
    return texel_at(pattern, inset + span * (x + 0.5) / screen_size, inset + span * (y + 0.5) / screen_size);
}

// Near the edges and inside each half, clear of every boundary in every copy.
constexpr int glow_probes[] = {2, 40, 88, 125};
constexpr int stretch_probes[] = {10, 40, 88, 117};

constexpr Rgba base_colour{10, 20, 30, 255};

class Effects : public ::testing::Test {
protected:
    std::int32_t flags = Tscreen::mode_opengl;
    std::unique_ptr<Tscreen> screen;

    void SetUp() override
    {
        screen = std::make_unique<Tscreen>(screen_size, screen_size, 32, 1, 0, flags);
        glDisable(GL_TEXTURE_2D);
    }

    // The mode screen leaves the window library running.
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        screen.reset();
        glfw_layer::terminate();
    }
};

} // namespace

TEST_F(Effects, RenderToTextureCopiesTheLowerLeftRenderArea)
{
    fill(0, 0, screen_size, screen_size, {0, 0, 255, 255});
    screen->start_render2texture();
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 64, 64}));
    // The quadrants, drawn in the viewport's own coordinates.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 2, 0, 2, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (int i : {0, 1})
        for (int j : {0, 1}) {
            const Rgba colour = quadrants(i * half, j * half);
            glColor4ub(colour.r, colour.g, colour.b, colour.a);
            glRecti(i, j, i + 1, j + 1);
        }
    screen->stop_render2texture();

    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, screen_size, screen_size}));
    EXPECT_EQ(static_cast<GLuint>(integer(GL_TEXTURE_BINDING_2D)), screen->render_texture);
    EXPECT_EQ(texture_image(screen->render_texture), image_of(quadrants));
}

TEST_F(Effects, GlowAddsFiveShiftedCopiesScaledByAlpha)
{
    upload(screen->render_texture, quadrants);
    fill(0, 0, screen_size, screen_size, base_colour);
    const float alpha = 0.5f;
    expect_draw_restores_state([&] { screen->draw_glow(alpha); }, GL_SRC_ALPHA, GL_ONE);

    // Unshifted, right, left, down, up, in window pixels with y downwards.
    constexpr int offsets[][2] = {{0, 0}, {5, 0}, {-5, 0}, {0, 5}, {0, -5}};
    const auto framebuffer = test_support::read_pixels(screen_size, screen_size);
    for (int x : glow_probes)
        for (int y : glow_probes) {
            Colour expected = colour_of(base_colour);
            for (const auto& offset : offsets) {
                const double across = x + 0.5 - offset[0], down = screen_size - (y + 0.5) - offset[1];
                if (std::min(across, down) < 0 || std::max(across, down) >= screen_size)
                    continue;
                const Rgba texel = texel_at(quadrants, across / screen_size, 1 - down / screen_size);
                const double weight = texel.a / 255.0 * alpha;
                add(expected, texel, weight, weight);
            }
            expect_pixel(framebuffer, x, y, expected);
        }
}

TEST_F(Effects, ZoomedGlowStretchesTheInnerPartOverTheScreen)
{
    upload(screen->render_texture, framed_quadrants);
    const float alpha = 0.5f;
    for (float inset : {0.0f, 0.25f}) {
        SCOPED_TRACE("inset " + std::to_string(inset));
        fill(0, 0, screen_size, screen_size, base_colour);
        expect_draw_restores_state([&] { screen->draw_glow(alpha, inset); }, GL_ONE, GL_ONE);
        const auto framebuffer = test_support::read_pixels(screen_size, screen_size);
        for (int x : stretch_probes)
            for (int y : stretch_probes) {
                Colour expected = colour_of(base_colour);
                add(expected, stretched_texel(framed_quadrants, inset, x, y), alpha, alpha);
                expect_pixel(framebuffer, x, y, expected);
            }
    }
}

TEST_F(Effects, BloomAddsItsTextureAtFullStrengthAndAlphaOnlyToAlpha)
{
    upload(screen->bloom_texture, quadrants);
    const Rgba transparent_base{10, 20, 30, 0};
    fill(0, 0, screen_size, screen_size, transparent_base);
    const float alpha = 0.5f;
    expect_draw_restores_state([&] { screen->draw_bloom(alpha); }, GL_ONE, GL_ONE);
    const auto framebuffer = test_support::read_pixels(screen_size, screen_size);
    for (int x : stretch_probes)
        for (int y : stretch_probes) {
            Colour expected = colour_of(transparent_base);
            add(expected, stretched_texel(quadrants, 0, x, y), 1, alpha);
            expect_pixel(framebuffer, x, y, expected);
        }
}

TEST_F(Effects, BloomReadsBackBlursAndUploadsTheLowerLeftArea)
{
    fill(0, 0, screen_size, screen_size, {0, 0, 255, 255});
    for (int i : {0, 1})
        for (int j : {0, 1})
            fill(i * half, j * half, half, half, quadrants(i * half, j * half));
    screen->do_bloom(0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(static_cast<GLuint>(integer(GL_TEXTURE_BINDING_2D)), screen->bloom_texture);
    EXPECT_EQ(bloom_buffer(*screen), image_of(quadrants)) << "no passes: the pixels as read";
    EXPECT_EQ(texture_image(screen->bloom_texture), image_of(quadrants));

    // One pass spreads a lone pixel: 255 / 5 = 51 across, then 51 / 5 = 10
    // down; alpha is never averaged.
    fill(0, 0, screen_size, screen_size, {0, 0, 0, 255});
    fill(32, 32, 1, 1, {255, 255, 255, 255});
    screen->do_bloom(1);
    std::vector<Rgba> spread;
    for (int y = 0; y < texture_size; ++y)
        for (int x = 0; x < texture_size; ++x) {
            const bool reached = std::abs(x - 32) <= 2 && std::abs(y - 32) <= 2;
            spread.push_back(reached ? Rgba{10, 10, 10, 255} : Rgba{0, 0, 0, 255});
        }
    EXPECT_EQ(bloom_buffer(*screen), spread);
    EXPECT_EQ(texture_image(screen->bloom_texture), spread);
}

TEST_F(Effects, BloomWithoutBuffersReadsBlursAndUploadsNothing)
{
    upload(screen->bloom_texture, quadrants);
    screen->bloom_pixels.reset();
    screen->bloom_scratch.reset();
    screen->do_bloom(2);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(texture_image(screen->bloom_texture), image_of(quadrants));
}

// The application's screen: no render area, no bloom buffers, texture 0.
TEST(ApplicationScreenEffects, RenderAreaIsEmptyAndBloomTouchesNoPixels)
{
    Tscreen screen(64, 48, 0);
    screen.start_render2texture();
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 0, 0}));
    screen.stop_render2texture();
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 64, 48}));
    EXPECT_TRUE(texture_image(0).empty());
    screen.do_bloom(3);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
