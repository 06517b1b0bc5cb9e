// A picture in memory, laid out as image files hold it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace offscreen {

// Rows from the top, 3 bytes a pixel: red, green, blue; and, for a picture
// whose ground is transparent, 1 byte a pixel of alpha.
struct Image {
    static constexpr int channels = 3;

    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    // Empty for an opaque picture.
    std::vector<std::uint8_t> alpha;

    // The pixel x columns from the left and y rows from the top.
    const std::uint8_t* at(int x, int y) const
    {
        return rgb.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x) * channels;
    }
};

} // namespace offscreen
