// The bloom's box blurs over buffers of 32-bit pixels, row after row: the
// three colour bytes in bits 0-23, alpha in bits 24-31. Plain computation,
// no GL.
#pragma once

#include <cstdint>

// Horizontal box blur of 2 * radius + 1 taps. Neighbours are taken by linear
// index, not clamped to the row, so a row's ends average with the adjacent
// rows; taps before the first or past the last pixel of the buffer take that
// pixel. Every destination pixel is written: the centre's alpha, never
// averaged, with the colour averages truncated. A negative radius leaves an
// empty window, so only the alpha remains. `source` and `destination` hold
// width * height pixels each and must not overlap.
void blur_h(const std::uint32_t* source, std::uint32_t* destination, std::uint32_t width, std::uint32_t height,
            std::int32_t radius);

// Vertical box blur of the same filter along columns. Writes only rows
// radius to height - 1 - radius; the other destination rows keep what they
// held. Writes nothing when no row has a full window inside the buffer
// (height at most 2 * radius), when width is 0, or when radius is negative.
void blur_v(const std::uint32_t* source, std::uint32_t* destination, std::uint32_t width, std::uint32_t height,
            std::int32_t radius);
