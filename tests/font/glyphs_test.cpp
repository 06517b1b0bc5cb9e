// The glyph table on its own: the fixed glyphs, and the rows each kind of
// character may use, so that a slip in one byte shows up here.
#include "font/glyphs.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

using font_glyphs::bitmaps;

namespace {

using Bitmap = std::array<std::uint8_t, font_glyphs::height>;

Bitmap glyph(char c)
{
    Bitmap rows{};
    for (int r = 0; r < font_glyphs::height; ++r)
        rows[r] = bitmaps[c - font_glyphs::first_code][r];
    return rows;
}

int lowest_row(char c)
{
    const Bitmap rows = glyph(c);
    for (int r = 0; r < font_glyphs::height; ++r)
        if (rows[r] != 0)
            return r;
    return -1;
}

int highest_row(char c)
{
    const Bitmap rows = glyph(c);
    for (int r = font_glyphs::height - 1; r >= 0; --r)
        if (rows[r] != 0)
            return r;
    return -1;
}

std::string printable()
{
    std::string all;
    for (int code = font_glyphs::first_code; code <= font_glyphs::last_code; ++code)
        all += static_cast<char>(code);
    return all;
}

} // namespace

TEST(GlyphTable, FixedGlyphsByteForByte)
{
    EXPECT_EQ(glyph(' '), Bitmap{});
    EXPECT_EQ(glyph('A'), (Bitmap{0x00, 0x00, 0xc3, 0xc3, 0xc3, 0xc3, 0xff, 0xc3, 0xc3, 0xc3, 0x66, 0x3c, 0x18}));
    EXPECT_EQ(glyph('0'), (Bitmap{0x00, 0x00, 0x3c, 0x66, 0xc3, 0xe3, 0xf3, 0xdb, 0xcf, 0xc7, 0xc3, 0x66, 0x3c}));
    EXPECT_EQ(glyph('g'), (Bitmap{0x7e, 0xc3, 0x03, 0x03, 0x7f, 0xc3, 0xc3, 0xc3, 0x7e, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(glyph('_'), (Bitmap{0xff, 0xff}));
    Bitmap bar;
    bar.fill(0x18);
    EXPECT_EQ(glyph('|'), bar);
}

TEST(GlyphTable, OnlyDescendersReachBelowTheBaseline)
{
    const std::string descenders = "gjpqy/\\_|";
    for (char c : printable()) {
        const bool descends = descenders.find(c) != std::string::npos;
        if (c != ' ') {
            EXPECT_EQ(lowest_row(c) < font_glyphs::baseline_row, descends) << "'" << c << "'";
        }
    }
    for (char c : descenders)
        EXPECT_EQ(lowest_row(c), 0) << "'" << c << "'";
}

TEST(GlyphTable, LettersAndDigitsShareTheirHeights)
{
    for (char c : std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789bdhkl")) {
        EXPECT_EQ(highest_row(c), 12) << "'" << c << "'";
        if (c < 'a') {
            EXPECT_EQ(lowest_row(c), font_glyphs::baseline_row) << "'" << c << "'";
        }
    }
    for (char c : std::string("acegmnopqrsuvwxyz"))
        EXPECT_EQ(highest_row(c), 8) << "'" << c << "'";
}

TEST(GlyphTable, EveryVisibleCharacterHasAGlyphOfItsOwn)
{
    std::set<Bitmap> seen;
    for (char c : printable()) {
        if (c != ' ') {
            EXPECT_NE(lowest_row(c), -1) << "'" << c << "' is blank";
        }
        EXPECT_TRUE(seen.insert(glyph(c)).second) << "'" << c << "' repeats an earlier glyph";
    }
}
