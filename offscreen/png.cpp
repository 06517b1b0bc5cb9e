#include "offscreen/png.h"

#include <stb_image_write.h>

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
    const auto row_bytes = static_cast<long long>(image.width) * Image::channels;
    const bool sized = image.width > 0 && image.height > 0 &&
                       image.rgb.size() == static_cast<std::size_t>(row_bytes) * static_cast<std::size_t>(image.height);
    // The encoder counts bytes in int.
    if (!sized || row_bytes * image.height >= std::numeric_limits<int>::max() / 2)
        return {};
    Encoded encoded;
    const int done = stbi_write_png_to_func(collect, &encoded, image.width, image.height, Image::channels,
                                            image.rgb.data(), static_cast<int>(row_bytes));
    if (done == 0 || encoded.failed)
        return {};
    return std::move(encoded.bytes);
}

} // namespace offscreen
