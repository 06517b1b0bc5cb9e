// The bloom's blurs against hand-worked values and against a reference that
// sums every tap, including the sizes and radii that could read or write
// outside the buffers.
#include "screen/blur.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace {

using Pixels = std::vector<std::uint32_t>;

constexpr std::uint32_t untouched = 0xDEADBEEFu;

std::uint32_t pixel(std::uint32_t alpha, std::uint32_t b2, std::uint32_t b1, std::uint32_t b0)
{
    return alpha << 24 | b2 << 16 | b1 << 8 | b0;
}

std::uint32_t grey(std::uint32_t level, std::uint32_t alpha = 255)
{
    return pixel(alpha, level, level, level);
}

// One colour byte at a time, the tap indices computed per pixel.
std::uint32_t reference_average(const Pixels& source, const std::vector<long long>& taps, long long centre)
{
    std::uint32_t result = source[centre] & 0xFF000000u;
    for (int shift : {0, 8, 16}) {
        std::uint32_t sum = 0;
        for (long long tap : taps)
            sum += source[tap] >> shift & 0xFFu;
        result |= sum / static_cast<std::uint32_t>(taps.size()) << shift;
    }
    return result;
}

Pixels reference_h(const Pixels& source, int radius)
{
    const long long last = static_cast<long long>(source.size()) - 1;
    Pixels result(source.size());
    for (long long i = 0; i <= last; ++i) {
        std::vector<long long> taps;
        for (long long k = -radius; k <= radius; ++k)
            taps.push_back(std::clamp(i + k, 0LL, last));
        result[i] = reference_average(source, taps, i);
    }
    return result;
}

// Rows without a full window stay untouched.
Pixels reference_v(const Pixels& source, int width, int height, int radius)
{
    Pixels destination(source.size(), untouched);
    for (int x = 0; x < width; ++x)
        for (int y = radius; y < height - radius; ++y) {
            std::vector<long long> taps;
            for (int k = -radius; k <= radius; ++k)
                taps.push_back(static_cast<long long>(y + k) * width + x);
            destination[static_cast<std::size_t>(y) * width + x] =
                reference_average(source, taps, static_cast<long long>(y) * width + x);
        }
    return destination;
}

Pixels random_pixels(std::size_t count, unsigned seed)
{
    std::mt19937 generator(seed);
    Pixels pixels(count);
    for (std::uint32_t& p : pixels)
        p = static_cast<std::uint32_t>(generator());
    return pixels;
}

Pixels run_h(const Pixels& source, std::uint32_t width, std::uint32_t height, int radius)
{
    Pixels destination(source.size(), untouched);
    blur_h(source.data(), destination.data(), width, height, radius);
    return destination;
}

Pixels run_v(const Pixels& source, std::uint32_t width, std::uint32_t height, int radius)
{
    Pixels destination(source.size(), untouched);
    blur_v(source.data(), destination.data(), width, height, radius);
    return destination;
}

} // namespace

TEST(BlurH, AveragesEachColourByteAndCopiesTheCentresAlpha)
{
    // Around the centre: 10, 10, 10, 10, 14 -> 54 / 5 = 10, truncated; the
    // other two bytes carry 0, 0, 5, 0, 0 -> 1 and 250 everywhere -> 250.
    const Pixels row = {pixel(0, 250, 99, 99), pixel(255, 250, 0, 10), pixel(0, 250, 0, 10),
                        pixel(0x80, 250, 5, 10), pixel(255, 250, 0, 10), pixel(0, 250, 0, 14),
                        pixel(0, 250, 99, 99)};
    EXPECT_EQ(run_h(row, 7, 1, 2)[3], pixel(0x80, 250, 1, 10));
}

TEST(BlurH, RowEndsAverageWithTheNeighbouringRows)
{
    // 4 x 3 pixels, each a distinct grey level.
    Pixels source;
    for (std::uint32_t level = 0; level < 12; ++level)
        source.push_back(grey(level * 20));
    const Pixels result = run_h(source, 4, 3, 2);
    // Column 0 of row 1: the last two of row 0, itself, the next two of row 1.
    EXPECT_EQ(result[4], grey((40 + 60 + 80 + 100 + 120) / 5));
    // Column 3 of row 1: two of row 1 before it, itself, the first two of row 2.
    EXPECT_EQ(result[7], grey((100 + 120 + 140 + 160 + 180) / 5));
}

TEST(BlurH, TapsOutsideTheBufferTakeTheFirstOrLastPixel)
{
    const Pixels source = {grey(10), grey(20), grey(30), grey(40), grey(50), grey(70)};
    const Pixels result = run_h(source, 3, 2, 2);
    EXPECT_EQ(result[0], grey((10 * 3 + 20 + 30) / 5));
    EXPECT_EQ(result[1], grey((10 * 2 + 20 + 30 + 40) / 5));
    EXPECT_EQ(result[4], grey((30 + 40 + 50 + 70 * 2) / 5));
    EXPECT_EQ(result[5], grey((40 + 50 + 70 * 3) / 5));
}

TEST(BlurH, MatchesTheTapByTapReference)
{
    for (auto [width, height, radius] : {std::tuple{64u, 64u, 2}, {7u, 5u, 1}, {3u, 9u, 3}, {1u, 1u, 2},
                                         {5u, 2u, 0}, {2u, 2u, 4}, {3u, 2u, 40}}) {
        const Pixels source = random_pixels(std::size_t{width} * height, width * 31 + height);
        EXPECT_EQ(run_h(source, width, height, radius), reference_h(source, radius))
            << width << " x " << height << ", radius " << radius;
    }
}

TEST(BlurH, RadiusFarWiderThanTheBufferKeepsAUniformBuffer)
{
    // Sums over four billion taps must neither overflow nor take that long.
    const Pixels source(6, pixel(7, 200, 100, 50));
    EXPECT_EQ(run_h(source, 3, 2, std::numeric_limits<std::int32_t>::max()), source);
}

TEST(BlurH, NegativeRadiusKeepsOnlyTheAlpha)
{
    const Pixels source = {pixel(0x12, 1, 2, 3), pixel(0xFF, 4, 5, 6)};
    EXPECT_EQ(run_h(source, 2, 1, -1), (Pixels{0x12000000u, 0xFF000000u}));
}

TEST(BlurV, WritesOnlyRowsWithAFullWindow)
{
    const Pixels source = random_pixels(64 * 64, 1);
    const Pixels result = run_v(source, 64, 64, 2);
    for (std::size_t y = 0; y < 64; ++y) {
        const bool written = y >= 2 && y <= 61;
        for (std::size_t x = 0; x < 64; ++x)
            ASSERT_EQ(result[y * 64 + x] != untouched, written) << "row " << y << ", column " << x;
    }
    const Pixels five_rows = run_v(random_pixels(3 * 5, 2), 3, 5, 2);
    for (std::size_t i = 0; i < five_rows.size(); ++i)
        EXPECT_EQ(five_rows[i] != untouched, i / 3 == 2) << "pixel " << i;
}

TEST(BlurV, MatchesTheTapByTapReference)
{
    for (auto [width, height, radius] : {std::tuple{64, 64, 2}, {7, 5, 1}, {3, 9, 3}, {1, 5, 2}, {5, 2, 0}}) {
        const Pixels source = random_pixels(static_cast<std::size_t>(width) * height, width * 17 + height);
        EXPECT_EQ(run_v(source, width, height, radius), reference_v(source, width, height, radius))
            << width << " x " << height << ", radius " << radius;
    }
}

// Sizes whose unsigned bounds would wrap around: nothing is written, and,
// with each buffer exactly its size, the sanitizers see nothing read outside.
TEST(BlurGuards, SizesWithoutAFullWindowWriteNothing)
{
    struct Case {
        std::uint32_t width, height;
        std::int32_t radius;
    };
    constexpr std::int32_t widest = std::numeric_limits<std::int32_t>::max();
    for (const Case& c : {Case{4, 4, 2}, Case{4, 3, 2}, Case{4, 1, 2}, Case{4, 3, widest}, Case{4, 4, -1},
                          Case{0, 4, 2}, Case{4, 0, 2}, Case{0, 0, 2}}) {
        const Pixels source = random_pixels(std::size_t{c.width} * c.height, 3);
        const Pixels before(source.size(), untouched);
        EXPECT_EQ(run_v(source, c.width, c.height, c.radius), before)
            << c.width << " x " << c.height << ", radius " << c.radius;
        if (source.empty()) {
            EXPECT_EQ(run_h(source, c.width, c.height, c.radius), before) << c.width << " x " << c.height;
        }
    }
    // No buffers at all, as on a screen without bloom buffers.
    blur_h(nullptr, nullptr, 0, 0, 2);
    blur_v(nullptr, nullptr, 0, 0, 2);
}
