// The font on a real context: drawn pixels against the glyphs' bitmap bytes,
// the advance, codes without a glyph, clipping, the GL state left behind and
// a font that got no list names.
#include "font/Trasterfont.h"
#include "font/glyphs.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

using test_support::Framebuffer;
using test_support::Rgba;

static_assert(!std::is_copy_constructible_v<Trasterfont> && !std::is_copy_assignable_v<Trasterfont>,
              "a copy would delete the lists twice");

namespace {

constexpr Rgba ink{200, 100, 50, 255};
constexpr int text_x = 20, text_y = 10;
constexpr GLuint block_size = 128;

class RasterFont : public test_support::Gl_test {
protected:
    // Powers of two keep the pixel view's raster positions exact.
    void SetUp() override
    {
        width = 256;
        height = 32;
        Gl_test::SetUp();
    }

    // Black, raster positions in window pixels with y upwards, ink current.
    void clear() const
    {
        clear_to_black();
        glMatrixMode(GL_PROJECTION);
        glOrtho(0, width, 0, height, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glColor4ub(ink.r, ink.g, ink.b, ink.a);
    }

    Framebuffer printed(const Trasterfont& font, std::string_view text, int x = text_x, int y = text_y) const
    {
        clear();
        font.print(x, y, text);
        return read_framebuffer();
    }

    // The set bits of the glyphs of `shown` in ink, a cell every 10 pixels,
    // rows from 2 below y; cut off at the window's edges.
    Framebuffer expected(std::string_view shown, int x = text_x, int y = text_y) const
    {
        Framebuffer picture{width, height, {}};
        picture.pixels.assign(static_cast<std::size_t>(width) * height, Rgba{0, 0, 0, 255});
        for (std::size_t k = 0; k < shown.size(); ++k)
            for (int row = 0; row < 13; ++row)
                for (int column = 0; column < 8; ++column) {
                    const int px = x + 10 * static_cast<int>(k) + column, py = y - 2 + row;
                    const std::uint8_t bits = font_glyphs::bitmaps[shown[k] - 32][row];
                    if ((bits & (0x80 >> column)) && px >= 0 && px < width && py >= 0 && py < height)
                        picture.pixels[static_cast<std::size_t>(py) * width + px] = ink;
                }
        return picture;
    }
};

std::pair<float, float> raster_position()
{
    GLfloat position[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    return {position[0], position[1]};
}

void expect_same_picture(const Framebuffer& actual, const Framebuffer& wanted)
{
    int differing = 0;
    for (std::size_t i = 0; i < wanted.pixels.size(); ++i)
        differing += !(actual.pixels[i] == wanted.pixels[i]);
    EXPECT_EQ(differing, 0) << "of " << wanted.lit_count() << " lit pixels wanted";
}

} // namespace

TEST_F(RasterFont, EachGlyphSetsExactlyItsBitmapPixelsInTheRasterColour)
{
    const Trasterfont font;
    for (char c : std::string("A0g_|Wy~$@\\")) {
        SCOPED_TRACE(std::string(1, c));
        expect_same_picture(printed(font, std::string(1, c)), expected(std::string(1, c)));
    }
}

TEST_F(RasterFont, CharactersAdvanceTenPixels)
{
    const Trasterfont font;
    // Underscores fill their cells: five span 10 * 5 - 2 pixels.
    for (std::string_view line : {"FPS:60 Ag|", "_____"}) {
        expect_same_picture(printed(font, line), expected(line));
        EXPECT_EQ(raster_position(), std::make_pair(text_x + 10.0f * line.size(), float(text_y)));
    }
}

TEST_F(RasterFont, CodesWithoutAGlyphDrawNothingAndTakeNoRoom)
{
    const Trasterfont font;
    // Bytes from 128 up would reach into the next block: this font's.
    const Trasterfont neighbour;
    ASSERT_EQ(neighbour.list_base, font.list_base + block_size);
    const std::string text = std::string("\x80" "A\t\nB") + '\0' + "\x7f\x1f" "C\xc1\xff\xc3" "D\x80";
    expect_same_picture(printed(font, text), expected("ABCD"));
    EXPECT_EQ(raster_position(), std::make_pair(text_x + 40.0f, float(text_y)));

    for (std::string_view nothing : {"", "\x01\x7f\xc1"}) {
        EXPECT_EQ(printed(font, nothing).lit_count(), 0);
        EXPECT_EQ(raster_position(), std::make_pair(float(text_x), float(text_y)));
    }
}

TEST_F(RasterFont, TextFromOutsideTheViewportIsSkippedAndEdgesCutGlyphs)
{
    const Trasterfont font;
    EXPECT_EQ(printed(font, "HHHH", -1, text_y).lit_count(), 0);
    EXPECT_EQ(printed(font, "HHHH", text_x, -1).lit_count(), 0);
    expect_same_picture(printed(font, "HH", width - 4), expected("HH", width - 4));
}

TEST_F(RasterFont, PrintRestoresTheListBaseAndLeavesTexturingOff)
{
    const Trasterfont font;
    clear();
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
    glDeleteLists(unnamed->list_base, block_size);
    unnamed->list_base = 0;
    EXPECT_EQ(printed(*unnamed, "A").lit_count(), 0);
    unnamed.reset();
    EXPECT_TRUE(glIsList(first.list_base + 'A'));
}
