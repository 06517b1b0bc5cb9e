// The bloom's blurs against a reference that sums every tap.
#include "screen/blur.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

namespace {

using Pixels = std::vector<std::uint32_t>;

constexpr std::uint32_t untouched = 0xDEADBEEFu;

// Taps `step` apart by index, clamped to the buffer's ends; the centre's alpha is kept, the colour bytes averaged.
std::uint32_t reference_pixel(const Pixels& source, long long centre, long long step, int radius)
{
    std::uint32_t result = source[centre] & 0xFF000000u;
    const long long last = static_cast<long long>(source.size()) - 1;
    for (int shift : {0, 8, 16}) {
        std::uint32_t sum = 0;
        for (long long k = -radius; k <= radius; ++k)
            sum += source[std::clamp(centre + k * step, 0LL, last)] >> shift & 0xFF;
        result |= sum / (2 * radius + 1) << shift;
    }
    return result;
}

Pixels run(decltype(&blur_h) blur, const Pixels& source, std::uint32_t width, std::uint32_t height, int radius)
{
    Pixels destination(source.size(), untouched);
    blur(source.data(), destination.data(), width, height, radius);
    return destination;
}

} // namespace

// blur_h crosses rows by linear index; blur_v writes only the rows with a full window: rows 2 to 61 of 64,
// row 2 of 5, none of 4. Then sizes whose unsigned bounds would wrap (the sanitizers see stray accesses), a
// negative radius (only the alpha) and radii far wider than the buffer (no overflowed sums, no four billion steps).
TEST(Blur, RandomBuffersMatchTheReferenceAndGuardedCases)
{
    std::mt19937 random(7);
    // Width, height and radius.
    constexpr int cases[][3] = {{64, 64, 2}, {3, 5, 2}, {7, 5, 1}, {3, 9, 3},  {4, 4, 2}, {1, 1, 2},
                                {4, 1, 2},   {0, 4, 2}, {4, 0, 2}, {4, 4, -1}, {5, 2, 0}, {3, 2, 40}};
    for (const auto& [w, h, radius] : cases) {
        const std::uint32_t width = std::uint32_t(w), height = std::uint32_t(h);
        SCOPED_TRACE(testing::Message() << width << " x " << height << ", radius " << radius);
        Pixels source(std::size_t{width} * height), horizontal(source.size()), vertical(source.size(), untouched);
        std::generate(source.begin(), source.end(), random);
        for (std::size_t i = 0; i < source.size(); ++i) {
            horizontal[i] = reference_pixel(source, i, 1, radius);
            if (i / width >= std::size_t(radius) && i / width + radius < height)
                vertical[i] = reference_pixel(source, i, width, radius);
        }
        EXPECT_EQ(run(blur_h, source, width, height, radius), horizontal);
        EXPECT_EQ(run(blur_v, source, width, height, radius), vertical);
    }
    constexpr std::int32_t widest = std::numeric_limits<std::int32_t>::max();
    const Pixels uniform(6, 0x07C86432u);
    EXPECT_EQ(run(blur_h, uniform, 3, 2, widest), uniform);
    EXPECT_EQ(run(blur_v, uniform, 3, 2, widest), Pixels(6, untouched));
}
