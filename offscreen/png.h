// PNG files of images, through stb_image_write.
#pragma once

#include "offscreen/image.h"

#include <cstdint>
#include <vector>

namespace offscreen {

// The whole PNG file of `image`, with its alpha when it has one; empty when the image is empty or the
// encoder runs out of memory.
std::vector<std::uint8_t> encode_png(const Image& image);

} // namespace offscreen
