// The glyph table on its own, so that a slip in one byte shows up here.
#include "font/glyphs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string_view>
#include <vector>

using Bitmap = std::vector<int>;

// The fixed glyphs byte for byte. Each other visible character has a glyph of its own; letters and digits
// share their heights; only descenders reach below row 2, and they reach row 0.
TEST(GlyphTable, FixedGlyphsAndRows)
{
    const auto glyph = [](char c) {
        const std::uint8_t* rows = font::bitmaps[c - font::first_code];
        return Bitmap(rows, rows + font::height);
    };
    EXPECT_EQ(glyph(' '), Bitmap(13));
    EXPECT_EQ(glyph('A'), (Bitmap{0x00, 0x00, 0xc3, 0xc3, 0xc3, 0xc3, 0xff, 0xc3, 0xc3, 0xc3, 0x66, 0x3c, 0x18}));
    EXPECT_EQ(glyph('0'), (Bitmap{0x00, 0x00, 0x3c, 0x66, 0xc3, 0xe3, 0xf3, 0xdb, 0xcf, 0xc7, 0xc3, 0x66, 0x3c}));
    EXPECT_EQ(glyph('g'), (Bitmap{0x7e, 0xc3, 0x03, 0x03, 0x7f, 0xc3, 0xc3, 0xc3, 0x7e, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(glyph('_'), (Bitmap{0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(glyph('|'), Bitmap(13, 0x18));
    std::set<Bitmap> seen{Bitmap(13)};
    for (char c = '!'; c <= '~'; ++c) {
        const auto in = [c](std::string_view kind) { return kind.find(c) != kind.npos; };
        const auto lit = [](int row) { return row != 0; };
        const Bitmap rows = glyph(c);
        EXPECT_TRUE(seen.insert(rows).second) << "'" << c << "' is blank or repeats a glyph";
        const std::pair<int, int> extent{int(std::find_if(rows.begin(), rows.end(), lit) - rows.begin()),
                                         int(rows.rend() - std::find_if(rows.rbegin(), rows.rend(), lit)) - 1};
        EXPECT_EQ(std::min(extent.first, 2), in("gjpqy/\\_|") ? 0 : 2) << c << " starts on row " << extent.first;
        const bool tall = std::isupper(c) || std::isdigit(c) || in("bdhkl"), letter = tall || in("acegmnopqrsuvwxyz");
        EXPECT_EQ(extent, letter ? std::pair(in("gpqy") ? 0 : 2, tall ? 12 : 8) : extent) << c;
    }
}

// Lines keep every character: what the glyphs lack is spelt with them.
TEST(GlyphTable, TextBeyondTheGlyphsIsSpeltWithThem)
{
    EXPECT_EQ(font::drawable_text("stands on 0.05 mm\u00b2, 30\u00b0 \xff."), "stands on 0.05 mm^2, 30? ?.");
}
