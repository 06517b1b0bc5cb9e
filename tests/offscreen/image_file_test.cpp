// PNG files read back by stb's own decoder, and the names fitted under
// thumbnails.
#include "offscreen/png.h"
#include "offscreen/sheet.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <random>

using offscreen::Image;

TEST(Png, DecodesToTheSamePixels)
{
    std::mt19937 random(12);
    for (const auto& [width, height] : {std::pair{1, 1}, {7, 5}, {64, 3}}) {
        Image image;
        image.width = width;
        image.height = height;
        image.rgb.resize(static_cast<std::size_t>(width) * height * 3);
        for (auto& byte : image.rgb)
            byte = static_cast<std::uint8_t>(random());
        const std::vector<std::uint8_t> file = offscreen::encode_png(image);
        int w = 0, h = 0, channels = 0;
        stbi_uc* decoded = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &channels, 3);
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(std::vector<std::uint8_t>(decoded, decoded + image.rgb.size()), image.rgb);
        EXPECT_EQ(w * 1000 + h, width * 1000 + height);
        stbi_image_free(decoded);
    }
    EXPECT_TRUE(offscreen::encode_png(Image{}).empty());
}

TEST(Sheet, LabelsFitTheirWidth)
{
    struct Case {
        const char* name;
        int width;
        const char* label;
    };
    // 10 pixels a character, the last needing only its 8.
    for (const Case& c : {Case{"a.bas", 48, "a.bas"}, Case{"shape_01-02-2024_10_11_12.bas", 98, "sh..12.bas"},
                          Case{"tab\there\x80.bas", 200, "tab?here?.bas"}, Case{"abcdef", 27, "ab"},
                          Case{"abcdef", 7, ""}})
        EXPECT_EQ(offscreen::fit_label(c.name, c.width), c.label) << c.name << " in " << c.width;
}
