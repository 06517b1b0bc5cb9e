// The font on a real context: each glyph's pixels against its bitmap bytes,
// the advance, the codes without a glyph, clipping and the GL state left
// behind.
#include "font/Trasterfont.h"
#include "font/glyphs.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

using test_support::Framebuffer;
using test_support::Rgba;

static_assert(!std::is_copy_constructible_v<Trasterfont> && !std::is_copy_assignable_v<Trasterfont>,
              "a copy would delete the lists twice");

namespace {

using Bitmap = std::array<std::uint8_t, 13>;

constexpr Rgba ink{200, 100, 50, 255};
constexpr int text_x = 20, text_y = 10;
constexpr int block_size = 128;

Bitmap table_glyph(char c)
{
    Bitmap rows{};
    for (std::size_t r = 0; r < rows.size(); ++r)
        rows[r] = font_glyphs::bitmaps[c - font_glyphs::first_code][r];
    return rows;
}

std::vector<Bitmap> table_glyphs(std::string_view text)
{
    std::vector<Bitmap> glyphs;
    for (char c : text)
        glyphs.push_back(table_glyph(c));
    return glyphs;
}

class RasterFont : public test_support::Gl_test {
protected:
    // Powers of two keep the pixel view's raster positions exact.
    void SetUp() override
    {
        width = 256;
        height = 32;
        Gl_test::SetUp();
        clear();
    }

    // Black, with raster positions in window pixels, y upwards, and the
    // test's ink as the current colour.
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

    // The glyphs' set bits in ink, each cell 10 pixels right of the one
    // before, cut off at the window's edges; everything else black.
    Framebuffer expected(const std::vector<Bitmap>& glyphs, int x = text_x, int y = text_y) const
    {
        Framebuffer picture;
        picture.width = width;
        picture.height = height;
        picture.pixels.assign(static_cast<std::size_t>(width) * height, Rgba{0, 0, 0, 255});
        for (std::size_t k = 0; k < glyphs.size(); ++k)
            for (int row = 0; row < 13; ++row)
                for (int column = 0; column < 8; ++column) {
                    const int px = x + 10 * static_cast<int>(k) + column;
                    const int py = y - 2 + row;
                    if ((glyphs[k][row] & (0x80 >> column)) && px >= 0 && px < width && py >= 0 && py < height)
                        picture.pixels[static_cast<std::size_t>(py) * width + px] = ink;
                }
        return picture;
    }

    std::pair<float, float> raster_position() const
    {
        GLfloat position[4];
        glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
        return {position[0], position[1]};
    }
};

void expect_same_picture(const Framebuffer& actual, const Framebuffer& wanted)
{
    int differing = 0;
    std::string first;
    for (int y = 0; y < wanted.height; ++y)
        for (int x = 0; x < wanted.width; ++x)
            if (!(actual.at(x, y) == wanted.at(x, y)) && differing++ == 0)
                first = " first at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    EXPECT_EQ(differing, 0) << "of " << wanted.lit_count() << " lit pixels wanted;" << first;
}

} // namespace

TEST_F(RasterFont, GlyphSetsExactlyItsBitmapPixelsInTheRasterColour)
{
    const Trasterfont font;
    const std::pair<char, Bitmap> fixed[] = {
        {'A', {0x00, 0x00, 0xc3, 0xc3, 0xc3, 0xc3, 0xff, 0xc3, 0xc3, 0xc3, 0x66, 0x3c, 0x18}},
        {'0', {0x00, 0x00, 0x3c, 0x66, 0xc3, 0xe3, 0xf3, 0xdb, 0xcf, 0xc7, 0xc3, 0x66, 0x3c}},
        {'g', {0x7e, 0xc3, 0x03, 0x03, 0x7f, 0xc3, 0xc3, 0xc3, 0x7e, 0x00, 0x00, 0x00, 0x00}},
        {'_', {0xff, 0xff}},
        {'|', {0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18}},
    };
    for (const auto& [c, rows] : fixed) {
        SCOPED_TRACE(std::string(1, c));
        expect_same_picture(printed(font, std::string(1, c)), expected({rows}));
    }
    for (char c : std::string("Wy~$@\\")) {
        SCOPED_TRACE(std::string(1, c));
        expect_same_picture(printed(font, std::string(1, c)), expected({table_glyph(c)}));
    }
}

TEST_F(RasterFont, CharactersAdvanceTenPixelsAndSpanTenPerCharacterLessTwo)
{
    const Trasterfont font;
    const std::string line = "FPS:60 Ag|_";
    expect_same_picture(printed(font, line), expected(table_glyphs(line)));
    EXPECT_EQ(raster_position(), std::make_pair(text_x + 10.0f * line.size(), float(text_y)));

    // Underscores fill their cells, so the lit columns show the span.
    const Framebuffer rule = printed(font, "_____");
    int left = width, right = -1;
    for (int x = 0; x < width; ++x)
        if (rule.at(x, text_y - 2) == ink) {
            left = std::min(left, x);
            right = std::max(right, x);
        }
    EXPECT_EQ(left, text_x);
    EXPECT_EQ(right - left + 1, 10 * 5 - 2);
}

TEST_F(RasterFont, EmptyTextDrawsNothingAndLeavesTheRasterPosition)
{
    const Trasterfont font;
    EXPECT_EQ(printed(font, "").lit_count(), 0);
    EXPECT_EQ(raster_position(), std::make_pair(float(text_x), float(text_y)));
}

TEST_F(RasterFont, CodesWithoutAGlyphDrawNothingAndTakeNoRoom)
{
    const Trasterfont font;
    // Bytes from 128 up would reach into the block after the font's; a
    // second font there would draw them.
    const Trasterfont neighbour;
    ASSERT_EQ(neighbour.list_base, font.list_base + block_size);
    const std::string text = std::string("\x80" "A\t\nB") + '\0' + "\x7f\x1f" "C\xc1\xff\xc3" "D\x80";
    expect_same_picture(printed(font, text), expected(table_glyphs("ABCD")));
    EXPECT_EQ(raster_position(), std::make_pair(text_x + 40.0f, float(text_y)));
    EXPECT_EQ(printed(font, "\x01\x7f\xc1").lit_count(), 0);
}

TEST_F(RasterFont, TextFromOutsideTheViewportIsSkippedAndEdgesCutGlyphs)
{
    const Trasterfont font;
    EXPECT_EQ(printed(font, "HHHH", -1, text_y).lit_count(), 0);
    EXPECT_EQ(printed(font, "HHHH", text_x, -1).lit_count(), 0);
    // Inside, near the right edge: only the first glyph's left half shows.
    const int x = width - 4;
    expect_same_picture(printed(font, "HH", x), expected(table_glyphs("HH"), x));
}

TEST_F(RasterFont, PrintRestoresTheListBaseAndDrawsUntextured)
{
    const Trasterfont font;
    // A black texture would hide the glyphs if they were textured.
    const GLubyte black[4] = {0, 0, 0, 255};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, black);

    clear();
    glListBase(77);
    glEnable(GL_TEXTURE_2D);
    font.print(text_x, text_y, "Hi");
    expect_same_picture(read_framebuffer(), expected(table_glyphs("Hi")));
    GLint base = 0;
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(base, 77);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glDeleteTextures(1, &texture);
}

TEST_F(RasterFont, OwnsExactlyItsBlockOfListNames)
{
    std::optional<Trasterfont> font(std::in_place);
    const GLuint base = font->list_base;
    const Trasterfont neighbour;
    ASSERT_EQ(neighbour.list_base, base + block_size);
    font.reset();
    for (GLuint name = base; name < base + block_size; ++name)
        EXPECT_FALSE(glIsList(name)) << "list " << name - base << " left behind";
    EXPECT_TRUE(glIsList(neighbour.list_base));
    expect_same_picture(printed(neighbour, "ok"), expected(table_glyphs("ok")));
}

TEST_F(RasterFont, WithoutListNamesNothingIsDrawnOrDeleted)
{
    // Names from 1 up: base 0 would make "A" call this font's "@".
    const Trasterfont other;
    ASSERT_EQ(other.list_base, 1u);
    std::optional<Trasterfont> unnamed(std::in_place);
    glDeleteLists(unnamed->list_base, block_size);
    unnamed->list_base = 0;
    EXPECT_EQ(printed(*unnamed, "A").lit_count(), 0);
    unnamed.reset();
    EXPECT_TRUE(glIsList(other.list_base + 'A'));
}
