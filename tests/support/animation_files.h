// Animated files as libwebp's animation decoder, giflib and ffmpeg read
// them, and the picture error the tests weigh palettes by.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

struct Read_animation {
    int width = 0, height = 0;
    // 0 for forever; -1 when the file says nothing.
    int loops = -1;
    // Each frame's duration in ticks: milliseconds in WebP, hundredths in GIF, frames in MP4.
    std::vector<int> delays;
    // The whole picture shown during each frame, RGBA, rows from the top.
    std::vector<std::vector<std::uint8_t>> frames;
};

// The file at `path`, by its extension ("webp", "gif" or "mp4"); no frames
// when its reader refuses it or it knows no such extension.
Read_animation read_animation(const std::string& extension, const std::string& path);

// The peak signal-to-noise ratio in decibels of `found` against `wanted` (infinity when equal): `pixels` pixels of
// `wanted_step` and `found_step` bytes, the first three red, green and blue.
double psnr(const std::uint8_t* wanted, int wanted_step, const std::uint8_t* found, int found_step, std::size_t pixels);

// The same for giflib's own median cut, GifQuantizeBuffer, of the 3-byte pixels `rgb` into 256 colours.
double giflib_quantized_psnr(const std::uint8_t* rgb, int width, int height);

} // namespace test_support
