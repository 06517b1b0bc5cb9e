#include "offscreen/png.h"

#include <stb_image_write.h>

#include <algorithm>
#include <limits>
#include <new>

namespace offscreen {
namespace {

struct Encoded {
    std::vector<std::uint8_t> bytes;
    bool failed = false;
};

// Called by the encoder with the finished file; no exception may cross it.
void collect(void* context, void* data, int size)
{
    auto& encoded = *static_cast<Encoded*>(context);
    const auto* begin = static_cast<const std::uint8_t*>(data);
    try {
        encoded.bytes.insert(encoded.bytes.end(), begin, begin + size);
    } catch (const std::bad_alloc&) {
        encoded.failed = true;
    }
}

} // namespace

std::vector<std::uint8_t> encode_png(const Image& image)
{
    const auto pixels = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    const bool sized = image.width > 0 && image.height > 0 && image.rgb.size() == pixels * Image::channels &&
                       (image.alpha.empty() || image.alpha.size() == pixels);
    const int channels = Image::channels + (image.alpha.empty() ? 0 : 1);
    const auto row_bytes = static_cast<long long>(image.width) * channels;
    // The encoder counts bytes in int.
    if (!sized || row_bytes * image.height >= std::numeric_limits<int>::max() / 2)
        return {};
    const std::uint8_t* rows = image.rgb.data();
    std::vector<std::uint8_t> rgba;
    if (!image.alpha.empty()) {
        try {
            rgba.resize(pixels * 4);
        } catch (const std::bad_alloc&) {
            return {};
        }
        for (std::size_t i = 0; i < pixels; ++i) {
            std::copy_n(image.rgb.data() + i * Image::channels, Image::channels, rgba.data() + i * 4);
            rgba[i * 4 + 3] = image.alpha[i];
        }
        rows = rgba.data();
    }
    Encoded encoded;
    const int done = stbi_write_png_to_func(collect, &encoded, image.width, image.height, channels, rows,
                                            static_cast<int>(row_bytes));
    if (done == 0 || encoded.failed)
        return {};
    return std::move(encoded.bytes);
}

} // namespace offscreen
