// GIF's palettes: exact for few colours, a transparent index of their own, each pixel its nearest colour, and at
// least giflib's own median cut on shaded pictures.
#include "animation/palette.h"
#include "tests/support/animation_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int side = 96;

// A lit ball in orange on black with a white highlight, as frames show shapes; or a ramp of every hue.
std::vector<std::uint8_t> picture(bool ball)
{
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const double u = (x - side / 2 + 0.5) / (side / 2), v = (y - side / 2 + 0.5) / (side / 2);
            const double z = std::sqrt(std::max(0.0, 1 - u * u - v * v));
            const double light = std::max(0.0, -0.5 * u - 0.6 * v + z) / 1.3, sheen = std::pow(light, 24);
            const auto byte = [](double value) { return std::uint8_t(std::clamp(value, 0.0, 255.0)); };
            if (!ball)
                rgb.insert(rgb.end(), {byte(x * 2.7), byte(y * 2.7), byte((x + y) * 1.3)});
            else if (z <= 0)
                rgb.insert(rgb.end(), {0, 0, 0});
            else
                rgb.insert(rgb.end(), {byte(255 * (0.25 + 0.8 * light) + 50 * sheen),
                                       byte(120 * (0.25 + 0.8 * light) + 50 * sheen),
                                       byte(60 * (0.25 + 0.8 * light) + 50 * sheen)});
        }
    return rgb;
}

} // namespace

TEST(Palette, FewColoursStayExactAndTheGroundBelowHalfAlphaTakesTheLastIndex)
{
    const std::uint8_t rgb[] = {9, 8, 7, 1, 2, 3, 9, 8, 7, 50, 50, 50, 4, 4, 4};
    const std::uint8_t alpha[] = {255, 255, 128, 127, 0};
    animation::Indexed_frame frame;
    animation::quantize(rgb, alpha, 5, frame);
    ASSERT_TRUE(frame.palette.size() == 3 && frame.transparent == 2 && frame.indices.size() == 5);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(std::equal(rgb + 3 * i, rgb + 3 * i + 3, frame.palette[frame.indices[i]].begin())) << i;
    EXPECT_TRUE(frame.indices[3] == 2 && frame.indices[4] == 2);
    animation::quantize(rgb, nullptr, 5, frame);
    EXPECT_TRUE(frame.palette.size() == 4 && frame.transparent == -1);
}

TEST(Palette, ManyColoursMapToTheirNearestAndLoseNoMoreThanGiflibsMedianCut)
{
    for (const bool ball : {true, false}) {
        const std::vector<std::uint8_t> rgb = picture(ball);
        animation::Indexed_frame frame;
        animation::quantize(rgb.data(), nullptr, side * side, frame);
        ASSERT_EQ(frame.palette.size(), 256u);
        std::vector<std::uint8_t> shown;
        int farther = 0;
        for (std::size_t i = 0; i < frame.indices.size(); ++i) {
            const auto distance = [&](const std::array<std::uint8_t, 3>& colour) {
                int sum = 0;
                for (int c = 0; c < 3; ++c)
                    sum += (colour[c] - rgb[3 * i + c]) * (colour[c] - rgb[3 * i + c]);
                return sum;
            };
            const auto& chosen = frame.palette[frame.indices[i]];
            for (const auto& colour : frame.palette)
                farther += distance(colour) < distance(chosen);
            shown.insert(shown.end(), chosen.begin(), chosen.end());
        }
        EXPECT_EQ(farther, 0) << ball;
        const double ours = test_support::psnr(rgb.data(), 3, shown.data(), 3, side * side),
                     giflib = test_support::giflib_quantized_psnr(rgb.data(), side, side);
        EXPECT_GE(ours, giflib) << (ball ? "ball" : "ramp");
    }
}
