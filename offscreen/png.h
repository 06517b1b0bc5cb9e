// PNG files of images, through stb_image_write.
#pragma once

#include "offscreen/image.h"
#include "offscreen/status.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace offscreen {

// The whole PNG file of `image`; empty when the image is empty or the
// encoder runs out of memory.
std::vector<std::uint8_t> encode_png(const Image& image);

// Encodes `image` in memory first, then writes the file to `file` in one go
// and flushes it. A failure to encode or to write (a full disk shows at the
// latest at the flush) is reported; the caller then discards the file.
Status write_png(const Image& image, std::FILE* file);

} // namespace offscreen
