// A frame in at most 256 colours, as GIF holds it: a palette of its own,
// chosen to keep the shape's shading, without dithering.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace animation {

struct Indexed_frame {
    std::vector<std::array<std::uint8_t, 3>> palette;
    // A palette index for each pixel.
    std::vector<std::uint8_t> indices;
    // The index that stands for a transparent pixel, or -1 for none.
    int transparent = -1;
};

// Pixels whose alpha is below half take one index, the last, as
// transparent; the others up to 256 colours, or 255 beside a transparent
// index. A frame of few enough colours keeps them exactly. Otherwise boxes
// of colours are split where the squared error falls most (a variance
// median cut), their means refined by a few rounds of nearest-colour
// clustering, and each pixel takes the palette colour nearest to it.
// `rgb` holds 3 bytes a pixel; `alpha`, 1 a pixel, may be null.
void quantize(const std::uint8_t* rgb, const std::uint8_t* alpha, std::size_t pixels, Indexed_frame& frame);

} // namespace animation
