#include "screen/blur.h"

#include <algorithm>
#include <cstddef>

namespace {

constexpr std::uint32_t alpha_mask = 0xFF000000u;
constexpr std::uint32_t byte_mask = 0xFFu;

// The colour bytes summed over a sliding window. 64 bits hold any window a
// 32-bit radius can ask for.
struct Colour_sums {
    std::uint64_t low = 0, middle = 0, high = 0;

    void add(std::uint32_t pixel, std::uint64_t copies = 1)
    {
        low += (pixel & byte_mask) * copies;
        middle += (pixel >> 8 & byte_mask) * copies;
        high += (pixel >> 16 & byte_mask) * copies;
    }

    void remove(std::uint32_t pixel)
    {
        low -= pixel & byte_mask;
        middle -= pixel >> 8 & byte_mask;
        high -= pixel >> 16 & byte_mask;
    }

    // Each average is at most 255, so it fits its byte.
    std::uint32_t average(std::uint32_t centre, std::uint64_t taps) const
    {
        return (centre & alpha_mask) | static_cast<std::uint32_t>(high / taps) << 16 |
               static_cast<std::uint32_t>(middle / taps) << 8 | static_cast<std::uint32_t>(low / taps);
    }
};

} // namespace

void blur_h(const std::uint32_t* source, std::uint32_t* destination, std::uint32_t width, std::uint32_t height,
            std::int32_t radius)
{
    const std::size_t count = std::size_t{width} * height;
    if (count == 0)
        return;
    if (radius < 0) {
        for (std::size_t i = 0; i < count; ++i)
            destination[i] = source[i] & alpha_mask;
        return;
    }
    const std::size_t reach = static_cast<std::size_t>(radius);
    const std::size_t taps = 2 * reach + 1;
    const std::size_t last = count - 1;

    // The window of pixel 0, counted in closed form so that a radius far
    // wider than the buffer costs no more than the buffer.
    Colour_sums sums;
    sums.add(source[0], reach);
    for (std::size_t j = 0; j <= std::min(reach, last); ++j)
        sums.add(source[j]);
    if (reach > last)
        sums.add(source[last], reach - last);

    for (std::size_t i = 0; i < count; ++i) {
        destination[i] = sums.average(source[i], taps);
        sums.add(source[std::min(i + reach + 1, last)]);
        sums.remove(source[i >= reach ? i - reach : 0]);
    }
}

void blur_v(const std::uint32_t* source, std::uint32_t* destination, std::uint32_t width, std::uint32_t height,
            std::int32_t radius)
{
    if (radius < 0 || width == 0)
        return;
    const std::size_t reach = static_cast<std::size_t>(radius);
    const std::size_t taps = 2 * reach + 1;
    if (height < taps)
        return;

    for (std::size_t x = 0; x < width; ++x) {
        const std::uint32_t* column = source + x;
        Colour_sums sums;
        for (std::size_t y = 0; y + 1 < taps; ++y)
            sums.add(column[y * width]);
        for (std::size_t y = reach; y + reach < height; ++y) {
            sums.add(column[(y + reach) * width]);
            destination[y * width + x] = sums.average(column[y * width], taps);
            sums.remove(column[(y - reach) * width]);
        }
    }
}
