// The font on a real context: drawn pixels, advance, clipping, GL state.
#include "font/Trasterfont.h"
#include "font/glyphs.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using test_support::Rgba;

namespace {

constexpr Rgba ink{200, 100, 50, 255};
constexpr int text_x = 20, text_y = 10;

std::pair<float, float> raster_position()
{
    GLfloat position[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    return {position[0], position[1]};
}

class RasterFont : public test_support::Gl_test {
protected:
    // Powers of two keep the pixel view's raster positions exact.
    RasterFont() { width = 256; height = 32; }

    // `text` printed at (x, y) in ink on black, raster positions in pixels.
    auto printed(const Trasterfont& font, std::string_view text, int x = text_x, int y = text_y) const
    {
        clear_to_black();
        glMatrixMode(GL_PROJECTION);
        glOrtho(0, width, 0, height, -1, 1);
        glColor4ub(ink.r, ink.g, ink.b, ink.a);
        font.print(x, y, text);
        return read_framebuffer();
    }

    // The set bits of the glyphs of `shown` in ink, 10 pixels apart, from 2 below y.
    std::vector<Rgba> expected(std::string_view shown) const
    {
        std::vector<Rgba> pixels(static_cast<std::size_t>(width) * height, Rgba{0, 0, 0, 255});
        for (std::size_t k = 0; k < shown.size(); ++k)
            for (int row = 0; row < font_glyphs::height; ++row)
                for (int column = 0, px = text_x + 10 * int(k); column < 8; ++column, ++px)
                    if (font_glyphs::bitmaps[shown[k] - 32][row] & (0x80 >> column))
                        pixels[std::size_t(text_y - 2 + row) * width + px] = ink;
        return pixels;
    }
};

} // namespace

TEST_F(RasterFont, GlyphsSetExactlyTheirBitmapPixelsTenPixelsApart)
{
    const Trasterfont font;
    // Underscores fill their cells: five span 10 * 5 - 2 pixels.
    for (std::string_view line : {"A0g_|W@~", "_____"}) {
        EXPECT_TRUE(printed(font, line).pixels == expected(line)) << line;
        EXPECT_EQ(raster_position(), std::make_pair(text_x + 10.0f * line.size(), float(text_y)));
    }
}

TEST_F(RasterFont, BytesWithoutAGlyphDrawNothingAndTakeNoRoom)
{
    // Bytes from 128 up would reach into the next block: the neighbour's.
    const Trasterfont font, neighbour;
    ASSERT_EQ(neighbour.list_base, font.list_base + 128);
    const std::string text = std::string("\x80" "A\t\nB") + '\0' + "\x7f\x1f" "C\xc1\xff";
    EXPECT_TRUE(printed(font, text).pixels == expected("ABC"));
    EXPECT_EQ(raster_position(), std::make_pair(text_x + 30.0f, float(text_y)));
    EXPECT_EQ(printed(font, "").lit_count(), 0);
}

TEST_F(RasterFont, TextFromOutsideTheViewportIsSkipped)
{
    const Trasterfont font;
    EXPECT_EQ(printed(font, "HHHH", -1, text_y).lit_count(), 0);
    EXPECT_EQ(printed(font, "HHHH", text_x, -1).lit_count(), 0);
}

TEST_F(RasterFont, PrintRestoresTheListBaseAndLeavesTexturingOff)
{
    const Trasterfont font;
    glListBase(77);
    glEnable(GL_TEXTURE_2D);
    font.print(text_x, text_y, "Hi");
    GLint base = 0;
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(base, 77);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(RasterFont, WithoutListNamesNothingIsDrawnOrDeleted)
{
    // Names start at 1, so base 0 would make "A" call this font's "@".
    const Trasterfont first;
    ASSERT_EQ(first.list_base, 1u);
    std::optional<Trasterfont> unnamed(std::in_place);
    glDeleteLists(unnamed->list_base, 128);
    unnamed->list_base = 0;
    EXPECT_EQ(printed(*unnamed, "A").lit_count(), 0);
    unnamed.reset();
    EXPECT_TRUE(glIsList(first.list_base + 'A'));
}
