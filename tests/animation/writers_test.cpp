// Each format's file as its own library (ffmpeg for MP4) reads it back: frames, size, delays at the frame rate, looping
// forever, WebP's pixels without loss, MP4's close, GIF's at least as close as giflib's own median cut gets, and a
// transparent ground that keeps nothing of the frame before, or a writer that refuses one.
#include "animation/timeline.h"
#include "animation/writers.h"
#include "tests/support/animation_files.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

TEST(AnimationWriters, EachFormatReadsBackWithItsFramesDelaysLoopingPixelsAndGround)
{
    // Frame k: 384 colours, (x * 10, y * 15, k * 40); with alpha, its left half clear for odd k, its right for even.
    constexpr int width = 24, height = 16, pixels = width * height, frames = 3, fps = 30;
    std::vector<std::uint8_t> rgb[frames], alpha[frames];
    for (int k = 0; k < frames; ++k)
        for (int i = 0; i < pixels; ++i) {
            const int x = i % width, y = i / width;
            rgb[k].insert(rgb[k].end(), {std::uint8_t(x * 10), std::uint8_t(y * 15), std::uint8_t(k * 40)});
            alpha[k].push_back((x < width / 2) == (k % 2 == 1) ? 0 : 255);
        }
    const test_support::Scratch_folder scratch("animation_writers");
    for (const animation::Format_row& row : animation::formats)
        for (const bool transparent : {false, true}) {
            const std::string path = scratch / (std::string("a.") + row.extension);
            SCOPED_TRACE(path + (transparent ? " transparent" : ""));
            std::FILE* out = std::fopen(path.c_str(), "wb");
            runtime::Status status;
            auto writer = row.open(out, {width, height, fps, transparent, row.has_lossless, 75}, status);
            if (transparent && !row.has_alpha) {
                std::fclose(out);
                EXPECT_EQ(writer, nullptr) << "no transparent ground";
                continue;
            }
            ASSERT_TRUE(writer) << status.message;
            for (int k = 0; k < frames; ++k)
                ASSERT_TRUE(writer->add({rgb[k].data(), transparent ? alpha[k].data() : nullptr}).ok());
            ASSERT_TRUE(writer->finish().ok());
            writer.reset();
            ASSERT_EQ(std::fclose(out), 0);

            const auto read = test_support::read_animation(row.extension, path);
            ASSERT_EQ(read.frames.size(), std::size_t(frames));
            // MP4 has no loop count: players loop it when asked.
            EXPECT_EQ(std::tuple(read.width, read.height, read.loops),
                      std::tuple(width, height, row.extension == std::string("mp4") ? -1 : 0));
            for (int k = 0; k < frames; ++k) {
                const int ticks = animation::ticks_at(row, fps);
                EXPECT_EQ(read.delays[k],
                          animation::frame_start(k + 1, fps, ticks) - animation::frame_start(k, fps, ticks));
                int wrong_alpha = 0;
                std::vector<std::uint8_t> shown = rgb[k];
                for (int i = 0; i < pixels; ++i) {
                    const bool clear = transparent && alpha[k][i] == 0;
                    wrong_alpha += read.frames[k][4 * i + 3] != (clear ? 0 : 255);
                    if (!clear)
                        std::copy_n(&read.frames[k][4 * i], 3, &shown[3 * i]);
                }
                EXPECT_EQ(wrong_alpha, 0) << "frame " << k;
                const double least = row.has_lossless  ? INFINITY
                                     : row.has_quality ? 31.0
                                     : transparent     ? 0.0
                                                   : test_support::giflib_quantized_psnr(rgb[k].data(), width, height);
                EXPECT_GE(test_support::psnr(rgb[k].data(), 3, shown.data(), 3, pixels), least) << "frame " << k;
            }
        }
}
