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

class RasterFont : public test_support::Gl_test {
protected:
    // Powers of two keep the pixel view's raster positions exact.
    RasterFont() { width = 256; height = 32; }

    // `text` printed at (x, y) in ink on black, raster positions in pixels.
    std::vector<Rgba> printed(const Trasterfont& font, std::string_view text, int x = text_x, int y = text_y) const
    {
        clear_to_black();
        glOrtho(0, width, 0, height, -1, 1);
        glColor4ub(ink.r, ink.g, ink.b, ink.a);
        font.print(x, y, text);
        return read_framebuffer().pixels;
    }

    // The set bits of the glyphs of `shown` in ink, 10 pixels apart, from 2 below the text's y.
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

TEST_F(RasterFont, PrintDrawsExactlyTheGlyphBitmapsTenPixelsApart)
{
    // Names start at 1, so base 0 would make "A" call this font's "@"; bytes
    // from 128 up would call into the neighbour's block.
    const Trasterfont font, neighbour;
    ASSERT_EQ(std::pair(font.list_base, neighbour.list_base), std::pair(1u, 129u));
    glListBase(77);
    glEnable(GL_TEXTURE_2D);
    // Bytes without a glyph draw nothing and take no room; underscores fill their cells.
    const std::string mixed = std::string("A0g\x80_|\t\nW") + '\0' + "@\x7f\x1f~\xc1\xff_____";
    for (auto [text, shown] : {std::pair<std::string_view, std::string_view>{mixed, "A0g_|W@~_____"}, {"", ""}}) {
        EXPECT_TRUE(printed(font, text) == expected(shown)) << shown;
        GLfloat position[4];
        glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
        EXPECT_TRUE(position[0] == text_x + 10.0f * shown.size() && position[1] == text_y) << shown;
    }
    GLint base = 0;
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_TRUE(base == 77 && !glIsEnabled(GL_TEXTURE_2D)) << "print restores the list base, leaves texturing off";
    // Text from outside the viewport is skipped.
    EXPECT_TRUE(printed(font, "HHHH", -1, text_y) == expected("") && printed(font, "HHHH", text_x, -1) == expected(""));

    std::optional<Trasterfont> unnamed(std::in_place);
    glDeleteLists(unnamed->list_base, 128);
    unnamed->list_base = 0;
    EXPECT_TRUE(printed(*unnamed, "A") == expected("")) << "without list names nothing is drawn";
    unnamed.reset();
    EXPECT_TRUE(glIsList(font.list_base + 'A')) << "or deleted";
}
