// The font on a real context: drawn pixels, advance, clipping, GL state.
#include "font/Trasterfont.h"
#include "font/glyphs.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>

#include <string>

using test_support::gl, test_support::Ints, test_support::Rgba;

namespace {

constexpr Rgba ink{200, 100, 50, 255};
constexpr int text_x = 20, text_y = 10;

class RasterFont : public test_support::Gl_test {
protected:
    // Powers of two keep the pixel view's raster positions exact.
    RasterFont() { width = 256, height = 32; }

    // `text` printed in ink on black, raster positions in pixels.
    std::vector<Rgba> printed(const Trasterfont& font, std::string_view text) const
    {
        clear_to_black();
        glOrtho(0, width, 0, height, -1, 1);
        glColor4ub(ink.r, ink.g, ink.b, ink.a);
        font.print(text_x, text_y, text);
        return read_framebuffer();
    }

    // The set bits of the glyphs of `shown` in ink, 10 pixels apart, from 2 below the text's y.
    std::vector<Rgba> expected(std::string_view shown) const
    {
        std::vector<Rgba> pixels(static_cast<std::size_t>(width) * height, Rgba{0, 0, 0, 255});
        for (std::size_t k = 0; k < shown.size(); ++k)
            for (int row = 0; row < font::height; ++row)
                for (int column = 0; column < 8; ++column)
                    if (font::bitmaps[shown[k] - 32][row] & (0x80 >> column))
                        pixels[std::size_t(text_y - 2 + row) * width + text_x + 10 * k + column] = ink;
        return pixels;
    }
};

} // namespace

TEST_F(RasterFont, PrintDrawsExactlyTheGlyphBitmapsTenPixelsApart)
{
    // Names start at 1, so base 0 would make "A" call this font's "@"; bytes from 128 would call the neighbour's.
    const Trasterfont font, neighbour;
    ASSERT_EQ(std::pair(font.list_base, neighbour.list_base), std::pair(1u, 129u));
    glListBase(77);
    glEnable(GL_TEXTURE_2D);
    // Bytes without a glyph draw nothing and take no room; underscores fill their cells.
    const std::string mixed = std::string("A0g\x80_|\t\nW") + '\0' + "@\x7f\x1f~\xc1\xff_____";
    for (auto [text, shown] : {std::pair<std::string_view, std::string_view>{mixed, "A0g_|W@~_____"}, {"", ""}}) {
        const std::vector<float> end{text_x + 10.0f * shown.size(), text_y}; // the raster position after the text
        EXPECT_EQ(printed(font, text), expected(shown)) << shown;
        EXPECT_EQ(gl<float>({GL_CURRENT_RASTER_POSITION}, 2), end) << shown;
    }
    EXPECT_EQ(gl({GL_LIST_BASE, GL_TEXTURE_2D}), (Ints{77, 0})) << "print restores the list base, leaves texturing off";
}
