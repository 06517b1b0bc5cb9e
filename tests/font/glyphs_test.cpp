// The glyph table on its own: the fixed glyphs, and the rows each kind of
// character may use, so that a slip in one byte shows up here.
#include "font/glyphs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <utility>

namespace {

using Bitmap = std::array<std::uint8_t, font_glyphs::height>;

Bitmap glyph(char c)
{
    Bitmap rows;
    std::copy_n(font_glyphs::bitmaps[c - font_glyphs::first_code], rows.size(), rows.begin());
    return rows;
}

// The lowest and highest rows with a pixel; -1 for a blank glyph.
std::pair<int, int> lit_rows(char c)
{
    const Bitmap rows = glyph(c);
    int low = -1, high = -1;
    for (int r = 0; r < font_glyphs::height; ++r)
        if (rows[r] != 0) {
            low = low < 0 ? r : low;
            high = r;
        }
    return {low, high};
}

} // namespace

TEST(GlyphTable, FixedGlyphsByteForByte)
{
    const std::pair<char, Bitmap> fixed[] = {
        {' ', {}},
        {'A', {0x00, 0x00, 0xc3, 0xc3, 0xc3, 0xc3, 0xff, 0xc3, 0xc3, 0xc3, 0x66, 0x3c, 0x18}},
        {'0', {0x00, 0x00, 0x3c, 0x66, 0xc3, 0xe3, 0xf3, 0xdb, 0xcf, 0xc7, 0xc3, 0x66, 0x3c}},
        {'g', {0x7e, 0xc3, 0x03, 0x03, 0x7f, 0xc3, 0xc3, 0xc3, 0x7e, 0x00, 0x00, 0x00, 0x00}},
        {'_', {0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {'|', {0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18}},
    };
    for (const auto& [c, rows] : fixed)
        EXPECT_EQ(glyph(c), rows) << "'" << c << "'";
}

TEST(GlyphTable, EveryVisibleCharacterHasAGlyphOfItsOwnOnItsRows)
{
    const std::string descenders = "gjpqy/\\_|";
    std::set<Bitmap> seen;
    for (char c = '!'; c <= '~'; ++c) {
        const auto [low, high] = lit_rows(c);
        EXPECT_NE(high, -1) << "'" << c << "' is blank";
        const bool descends = descenders.find(c) != std::string::npos;
        EXPECT_TRUE(descends ? low == 0 : low >= 2) << "'" << c << "' starts on row " << low;
        EXPECT_TRUE(seen.insert(glyph(c)).second) << "'" << c << "' repeats an earlier glyph";
    }
}

TEST(GlyphTable, LettersAndDigitsShareTheirHeights)
{
    const std::pair<std::string, std::pair<int, int>> heights[] = {
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789bdhkl", {2, 12}},
        {"acemnorsuvwxz", {2, 8}},
        {"gpqy", {0, 8}},
    };
    for (const auto& [characters, rows] : heights)
        for (char c : characters)
            EXPECT_EQ(lit_rows(c), rows) << "'" << c << "'";
}
