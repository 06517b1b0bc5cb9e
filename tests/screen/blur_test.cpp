// The bloom's blurs, against hand-worked values and a reference summing every tap.
#include "screen/blur.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

namespace {

using Pixels = std::vector<std::uint32_t>;

constexpr std::uint32_t untouched = 0xDEADBEEFu;

std::uint32_t pixel(std::uint32_t alpha, std::uint32_t b2, std::uint32_t b1, std::uint32_t b0)
{
    return alpha << 24 | b2 << 16 | b1 << 8 | b0;
}

Pixels random_pixels(std::size_t count, unsigned seed)
{
    std::mt19937 generator(seed);
    Pixels pixels(count);
    for (std::uint32_t& p : pixels)
        p = static_cast<std::uint32_t>(generator());
    return pixels;
}

// The taps lie `step` apart by index; those outside the buffer take its
// first or last pixel.
std::uint32_t reference_pixel(const Pixels& source, long long centre, long long step, int radius)
{
    const long long last = static_cast<long long>(source.size()) - 1;
    std::uint32_t result = source[centre] & 0xFF000000u;
    for (int shift : {0, 8, 16}) {
        std::uint32_t sum = 0;
        for (long long k = -radius; k <= radius; ++k)
            sum += source[std::clamp(centre + k * step, 0LL, last)] >> shift & 0xFFu;
        result |= sum / (2 * radius + 1) << shift;
    }
    return result;
}

template <class Blur>
Pixels run(Blur blur, const Pixels& source, std::uint32_t width, std::uint32_t height, int radius)
{
    Pixels destination(source.size(), untouched);
    blur(source.data(), destination.data(), width, height, radius);
    return destination;
}

} // namespace

TEST(Blur, HandWorkedPixels)
{
    // Around the centre: 10, 10, 10, 10, 14 -> 54 / 5 = 10; 0, 0, 5, 0, 0 -> 1;
    // the centre's alpha 0x80 copied, whatever its neighbours hold.
    const Pixels row = {pixel(0, 250, 99, 99), pixel(255, 250, 0, 10), pixel(0, 250, 0, 10), pixel(0x80, 250, 5, 10),
                        pixel(255, 250, 0, 10), pixel(0, 250, 0, 14), pixel(0, 250, 99, 99)};
    EXPECT_EQ(run(blur_h, row, 7, 1, 2)[3], pixel(0x80, 250, 1, 10));
    // Column 0 of row 1 of a 4 x 3 buffer takes the last two pixels of row 0.
    Pixels levels(12);
    for (std::uint32_t i = 0; i < 12; ++i)
        levels[i] = pixel(255, 0, 0, i * 20);
    EXPECT_EQ(run(blur_h, levels, 4, 3, 2)[4], pixel(255, 0, 0, (40 + 60 + 80 + 100 + 120) / 5));
}

// blur_v writes only the rows with a full window: rows 2 to 61 of 64, row 2 of 5.
TEST(Blur, RandomBuffersMatchTheReference)
{
    for (auto [width, height, radius] : {std::tuple{64u, 64u, 2}, {3u, 5u, 2}, {7u, 5u, 1}, {3u, 9u, 3},
                                         {1u, 1u, 2}, {5u, 2u, 0}, {3u, 2u, 40}}) {
        SCOPED_TRACE(testing::Message() << width << " x " << height << ", radius " << radius);
        const Pixels source = random_pixels(std::size_t{width} * height, width * 31 + height);
        Pixels horizontal(source.size()), vertical(source.size(), untouched);
        for (std::size_t i = 0; i < source.size(); ++i) {
            horizontal[i] = reference_pixel(source, i, 1, radius);
            if (i / width >= std::size_t(radius) && i / width + radius < height)
                vertical[i] = reference_pixel(source, i, width, radius);
        }
        EXPECT_EQ(run(blur_h, source, width, height, radius), horizontal);
        EXPECT_EQ(run(blur_v, source, width, height, radius), vertical);
    }
}

// Sizes whose unsigned bounds would wrap; the sanitizers see any stray access.
TEST(Blur, GuardedCases)
{
    constexpr std::int32_t widest = std::numeric_limits<std::int32_t>::max();
    for (auto [width, height, radius] : {std::tuple{4u, 4u, 2}, {4u, 1u, 2}, {4u, 3u, widest}, {4u, 4u, -1},
                                         {0u, 4u, 2}, {4u, 0u, 2}}) {
        const Pixels source = random_pixels(std::size_t{width} * height, 3);
        EXPECT_EQ(run(blur_v, source, width, height, radius), Pixels(source.size(), untouched))
            << width << " x " << height << ", radius " << radius;
        if (source.empty())
            blur_h(nullptr, nullptr, width, height, radius);
    }
    // A radius far wider than the buffer neither overflows the sums nor takes
    // four billion steps; a negative one leaves only the alpha.
    const Pixels uniform(6, pixel(7, 200, 100, 50));
    EXPECT_EQ(run(blur_h, uniform, 3, 2, widest), uniform);
    EXPECT_EQ(run(blur_h, Pixels{pixel(0x12, 1, 2, 3), pixel(0xFF, 4, 5, 6)}, 2, 1, -1),
              (Pixels{0x12000000u, 0xFF000000u}));
}
