// PNG files read back by stb's own decoder, and the names fitted under
// thumbnails.
#include "offscreen/png.h"
#include "offscreen/sheet.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <random>

TEST(Png, DecodesToTheSamePixels)
{
    // Rows of an odd number of bytes.
    offscreen::Image image{7, 5, std::vector<std::uint8_t>(7 * 5 * 3)};
    std::mt19937 random(12);
    for (auto& byte : image.rgb)
        byte = static_cast<std::uint8_t>(random());
    const std::vector<std::uint8_t> file = offscreen::encode_png(image);
    int width = 0, height = 0;
    stbi_uc* decoded = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width, &height, nullptr, 3);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(std::vector<std::uint8_t>(decoded, decoded + image.rgb.size()), image.rgb);
    EXPECT_EQ(width * 1000 + height, 7005);
    stbi_image_free(decoded);
    EXPECT_TRUE(offscreen::encode_png(offscreen::Image{}).empty());
}

// 10 pixels a character, the last needing only its 8; the end keeps more.
TEST(Sheet, LabelsFitTheirWidth)
{
    const std::tuple<const char*, int, const char*> cases[] = {
        {"a.bas", 48, "a.bas"}, {"shape_01-02-2024_10_11_12.bas", 98, "sh..12.bas"},
        {"tab\there\x80.bas", 200, "tab?here?.bas"}, {"abcdef", 27, "ab"}, {"abcdef", 7, ""}};
    for (const auto& [name, width, label] : cases)
        EXPECT_EQ(offscreen::fit_label(name, width), label) << name << " in " << width;
}
