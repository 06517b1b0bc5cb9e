// The sheet's columns and the names fitted under its thumbnails; shapetool's tests read its PNG files back.
#include "offscreen/png.h"
#include "offscreen/sheet.h"

#include <gtest/gtest.h>

// 10 pixels a character, the last needing only its 8; the end keeps more. An empty image gives no PNG.
TEST(Sheet, LabelsFitTheirWidthAndAnEmptyImageGivesNoPng)
{
    const std::tuple<const char*, int, const char*> cases[] = {
        {"a.bas", 48, "a.bas"},
        {"shape_01-02-2024_10_11_12.bas", 98, "sh..12.bas"},
        {"tab\there\x80.bas", 200, "tab?here?.bas"},
        {"\xc3\xbcn\xc3\xaf\xe2\x82\xac\xf0\x9f\x90\x9a\xe2\x82.bas", 200, "?n????.bas"},
        {"abcdef", 27, "ab"},
        {"abcdef", 7, ""}};
    for (const auto& [name, width, label] : cases)
        EXPECT_EQ(offscreen::fit_label(name, width), label) << name << " in " << width;
    EXPECT_TRUE(offscreen::encode_png(offscreen::Image{}).empty());
}

// Five entries take three columns, the square root rounded up, in two rows; asked for, no more columns than entries.
TEST(Sheet, ChoosesAboutAsManyColumnsAsRows)
{
    offscreen::Sheet_layout chosen, asked;
    ASSERT_EQ(offscreen::layout_sheet(5, {}, chosen).message, "");
    ASSERT_EQ(offscreen::layout_sheet(2, {4}, asked).message, "");
    EXPECT_EQ(std::tuple(chosen.columns, chosen.rows, asked.columns), std::tuple(3, 2, 2));
}
