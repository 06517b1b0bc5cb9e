#include "tests/support/animation_files.h"

#include "tests/support/scratch_folder.h"

#include <gif_lib.h>
#include <webp/demux.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

namespace test_support {
namespace {

Read_animation read_webp(const std::string& path)
{
    const std::string bytes = file_text(path);
    const WebPData data{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_RGBA;
    Read_animation read;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    WebPAnimInfo info;
    if (decoder && WebPAnimDecoderGetInfo(decoder, &info)) {
        read.width = int(info.canvas_width), read.height = int(info.canvas_height);
        read.loops = int(info.loop_count);
        for (int shown = 0, ends = 0; WebPAnimDecoderHasMoreFrames(decoder); shown = ends) {
            std::uint8_t* canvas = nullptr;
            if (!WebPAnimDecoderGetNext(decoder, &canvas, &ends))
                break;
            read.delays.push_back(ends - shown);
            read.frames.emplace_back(canvas, canvas + 4 * std::size_t(read.width) * read.height);
        }
    }
    WebPAnimDecoderDelete(decoder);
    return read;
}

// The loop count of a NETSCAPE2.0 block among `blocks`.
int loops_in(const ExtensionBlock* blocks, int count)
{
    for (int i = 0; i + 1 < count; ++i)
        if (blocks[i].Function == APPLICATION_EXT_FUNC_CODE && blocks[i].ByteCount == 11 &&
            std::memcmp(blocks[i].Bytes, "NETSCAPE2.0", 11) == 0 && blocks[i + 1].ByteCount == 3)
            return blocks[i + 1].Bytes[1] | blocks[i + 1].Bytes[2] << 8;
    return -1;
}

// Each frame drawn over the canvas as a browser composes it.
Read_animation read_gif(const std::string& path)
{
    Read_animation read;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif)
        return read;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
        read.width = gif->SWidth, read.height = gif->SHeight;
        read.loops = loops_in(gif->SavedImages[0].ExtensionBlocks, gif->SavedImages[0].ExtensionBlockCount);
        std::vector<std::uint8_t> canvas(4 * std::size_t(read.width) * read.height, 0);
        for (int k = 0; k < gif->ImageCount; ++k) {
            const SavedImage& image = gif->SavedImages[k];
            GraphicsControlBlock control{};
            DGifSavedExtensionToGCB(gif, k, &control);
            const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
            const GifImageDesc& place = image.ImageDesc;
            for (int y = 0; y < place.Height && map; ++y)
                for (int x = 0; x < place.Width; ++x) {
                    const int index = image.RasterBits[y * place.Width + x];
                    if (index == control.TransparentColor || index >= map->ColorCount)
                        continue;
                    std::uint8_t* pixel = &canvas[4 * (std::size_t(place.Top + y) * read.width + place.Left + x)];
                    const GifColorType& colour = map->Colors[index];
                    pixel[0] = colour.Red, pixel[1] = colour.Green, pixel[2] = colour.Blue, pixel[3] = 255;
                }
            read.delays.push_back(control.DelayTime);
            read.frames.push_back(canvas);
            if (control.DisposalMode == DISPOSE_BACKGROUND)
                std::fill(canvas.begin(), canvas.end(), 0);
        }
    }
    DGifCloseFile(gif, &error);
    return read;
}

// What `command` writes to standard output.
std::string output_of(const std::string& command)
{
    std::string text;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char block[1 << 16];
        for (std::size_t got; (got = std::fread(block, 1, sizeof block, pipe)) > 0;)
            text.append(block, got);
        pclose(pipe);
    }
    return text;
}

// ffprobe's size and packet durations (in the file's ticks), and each frame as ffmpeg decodes it into RGBA, converted
// as the file's colour tags say. MP4 has no loop count.
Read_animation read_mp4(const std::string& path)
{
    Read_animation read;
    const std::string probe = "ffprobe -v error -select_streams v:0 -of csv=p=0 -show_entries ";
    char comma = 0;
    std::istringstream(output_of(probe + "stream=width,height '" + path + "'")) >> read.width >> comma >> read.height;
    std::istringstream durations(output_of(probe + "packet=duration '" + path + "'"));
    for (int delay; durations >> delay;)
        read.delays.push_back(delay);
    const std::string rgba = output_of("ffmpeg -v error -i '" + path + "' -f rawvideo -pix_fmt rgba -");
    const std::size_t frame = 4 * std::size_t(std::max(read.width * read.height, 1));
    for (std::size_t at = 0; at + frame <= rgba.size(); at += frame)
        read.frames.emplace_back(rgba.begin() + long(at), rgba.begin() + long(at + frame));
    return read;
}

} // namespace

Read_animation read_animation(const std::string& extension, const std::string& path)
{
    return extension == "webp"  ? read_webp(path)
           : extension == "gif" ? read_gif(path)
           : extension == "mp4" ? read_mp4(path)
                                : Read_animation{};
}

double psnr(const std::uint8_t* wanted, int wanted_step, const std::uint8_t* found, int found_step, std::size_t pixels)
{
    double squares = 0;
    for (std::size_t i = 0; i < pixels; ++i)
        for (int c = 0; c < 3; ++c) {
            const double d = double(wanted[i * wanted_step + c]) - found[i * found_step + c];
            squares += d * d;
        }
    if (squares == 0)
        return std::numeric_limits<double>::infinity();
    return 10 * std::log10(255.0 * 255.0 * 3 * double(pixels) / squares);
}

double giflib_quantized_psnr(const std::uint8_t* rgb, int width, int height)
{
    const std::size_t pixels = std::size_t(width) * height;
    std::vector<GifByteType> planes[3], indices(pixels);
    for (int c = 0; c < 3; ++c)
        for (std::size_t i = 0; i < pixels; ++i)
            planes[c].push_back(rgb[3 * i + c]);
    int size = 256;
    GifColorType map[256];
    if (GifQuantizeBuffer(width, height, &size, planes[0].data(), planes[1].data(), planes[2].data(), indices.data(),
                          map) == GIF_ERROR)
        return -1;
    std::vector<std::uint8_t> quantized;
    for (const GifByteType index : indices)
        quantized.insert(quantized.end(), {map[index].Red, map[index].Green, map[index].Blue});
    return psnr(rgb, 3, quantized.data(), 3, pixels);
}

} // namespace test_support
