// Animated picture files, written a frame at a time as the frames come: the
// one table of formats, and the writer of each, a small layer over its
// library (WebP through libwebp's animation encoder, GIF through giflib,
// MP4 video through OpenH264).
#pragma once

#include "runtime/status.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace animation {

using runtime::Status;

struct Options {
    int width = 0, height = 0;
    int fps = 30;
    // Frames with alpha: WebP keeps it; GIF gives the pixels below half
    // alpha one transparent index, and clears each frame before the next.
    // Only for a format whose row has_alpha.
    bool transparent = false;
    // WebP's: lossless, or lossy at `quality` from 0 to 100. MP4's quality
    // sets H.264's quantiser: 51 at 0, 10 at 100, evenly between (75 gives
    // 20). Lossless only for a format whose row has_lossless.
    bool lossless = false;
    int quality = 75;
};

// One frame of options.width x options.height pixels, rows from the top: 3
// bytes a pixel of red, green and blue, and 1 of alpha when transparent.
struct Frame {
    const std::uint8_t* rgb = nullptr;
    const std::uint8_t* alpha = nullptr;
};

// The file loops forever (MP4 has no such mark: a page loops it with
// <video loop>); frame k starts at k / fps seconds, rounded to the format's
// ticks (its row's ticks_per_second, animation/timeline.h).
class Writer {
public:
    virtual ~Writer() = default;
    // Adds the next frame. A failure reads "cannot write: REASON" or says
    // what the library refused; the writer is then done with.
    virtual Status add(const Frame& frame) = 0;
    // Writes whatever is left after the last frame; the file is whole once
    // this succeeds. Call once.
    virtual Status finish() = 0;
};

// A writer into `out`, which stays open and is not closed by it; null, with
// the reason in `status`, when the library refuses to start.
using Open_writer = std::unique_ptr<Writer> (*)(std::FILE* out, const Options& options, Status& status);

std::unique_ptr<Writer> open_webp_writer(std::FILE* out, const Options& options, Status& status);
std::unique_ptr<Writer> open_gif_writer(std::FILE* out, const Options& options, Status& status);
std::unique_ptr<Writer> open_mp4_writer(std::FILE* out, const Options& options, Status& status);

// Why MP4 cannot hold frames of `width` x `height` at `fps`, or empty when
// it can: H.264's colour at half size needs even sides, and its level 5.2
// bounds a frame's macroblocks and their rate.
std::string mp4_size_refusal(int width, int height, int fps);

struct Format_row {
    // The file name's, in lower case, without its dot.
    const char* extension;
    const char* title;
    // The ticks a second its frames' starts count in; 0 for the frame rate
    // itself, each frame one tick.
    int ticks_per_second;
    // The most frames a second its delays can hold.
    int max_fps;
    // Whether Options' quality, lossless and transparent mean anything to it.
    bool has_quality, has_lossless, has_alpha;
    // Why it cannot hold frames of a size at a rate, or empty; null when it
    // holds any size the pictures have.
    std::string (*size_refusal)(int width, int height, int fps);
    Open_writer open;
};

// In the order help lists them.
inline constexpr Format_row formats[] = {
    {"webp", "WebP", 1000, 100, true, true, true, nullptr, open_webp_writer},
    // Delays are whole hundredths of a second, and browsers slow down any
    // below 2.
    {"gif", "GIF", 100, 50, false, false, true, nullptr, open_gif_writer},
    // The track's clock is its frame rate: every rate exact.
    {"mp4", "MP4", 0, 100, true, false, false, mp4_size_refusal, open_mp4_writer},
};

// The ticks a second of the format that `open` writes.
inline int ticks_per_second(Open_writer open)
{
    for (const Format_row& row : formats)
        if (row.open == open)
            return row.ticks_per_second;
    return 0;
}

// The ticks a second of `row`'s frames at `fps`.
inline int ticks_at(const Format_row& row, int fps)
{
    return row.ticks_per_second != 0 ? row.ticks_per_second : fps;
}

// The row for a file name's extension, in any case; null for none.
const Format_row* animated_format_for_path(const std::string& path);

} // namespace animation
