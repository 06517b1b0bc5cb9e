// Each format's file as its own library reads it back: frames, size, delays at the frame rate, looping forever,
// pixels kept (WebP without loss, GIF for few colours) and a transparent ground that keeps nothing of the frame
// before.
#include "animation/timeline.h"
#include "animation/writers.h"
#include "tests/support/animation_files.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int width = 6, height = 4, frames = 3, fps = 30;

// Frame k: every pixel (k * 40, x * 40, y * 60); with alpha, the left half of frame k clear for odd k, the right
// half for even k.
struct Frames {
    std::vector<std::uint8_t> rgb[frames], alpha[frames];
    Frames()
    {
        for (int k = 0; k < frames; ++k)
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    rgb[k].insert(rgb[k].end(), {std::uint8_t(k * 40), std::uint8_t(x * 40), std::uint8_t(y * 60)});
                    alpha[k].push_back((x < width / 2) == (k % 2 == 1) ? 0 : 255);
                }
    }
};

int ticks_per_second(const std::string& extension) { return extension == "gif" ? 100 : 1000; }

} // namespace

TEST(AnimationWriters, EachFormatReadsBackWithItsFramesDelaysLoopingPixelsAndGround)
{
    const test_support::Scratch_folder scratch("animation_writers");
    const Frames made;
    for (const animation::Format_row& row : animation::formats)
        for (const bool transparent : {false, true}) {
            const std::string path = scratch / (std::string("a.") + row.extension);
            SCOPED_TRACE(path + (transparent ? " transparent" : ""));
            std::FILE* out = std::fopen(path.c_str(), "wb");
            ASSERT_TRUE(out);
            runtime::Status status;
            auto writer = row.open(out, {width, height, fps, transparent, true, 75}, status);
            ASSERT_TRUE(writer) << status.message;
            for (int k = 0; k < frames; ++k)
                ASSERT_TRUE(writer->add({made.rgb[k].data(), transparent ? made.alpha[k].data() : nullptr}).ok());
            ASSERT_TRUE(writer->finish().ok());
            writer.reset();
            ASSERT_EQ(std::fclose(out), 0);

            const test_support::Read_animation read = test_support::read_animation(row.extension, path);
            ASSERT_EQ(read.frames.size(), std::size_t(frames));
            EXPECT_TRUE(read.width == width && read.height == height && read.loops == 0);
            for (int k = 0; k < frames; ++k) {
                const int ticks = ticks_per_second(row.extension);
                EXPECT_EQ(read.delays[k],
                          animation::frame_start(k + 1, fps, ticks) - animation::frame_start(k, fps, ticks));
                int wrong = 0;
                for (int i = 0; i < width * height; ++i) {
                    const std::uint8_t* pixel = &read.frames[k][4 * i];
                    const bool clear = transparent && made.alpha[k][i] == 0;
                    wrong += clear ? pixel[3] != 0
                                   : pixel[3] != 255 || !std::equal(pixel, pixel + 3, &made.rgb[k][3 * i]);
                }
                EXPECT_EQ(wrong, 0) << "frame " << k;
            }
        }
}
