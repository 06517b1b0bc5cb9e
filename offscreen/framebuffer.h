// A framebuffer object for a picture, drawn at twice its size for smooth
// edges and brought down to it. Plain GL on whichever context is current:
// the off-screen context draws every picture into one, and the editor its
// window's picture.
#pragma once

#include "runtime/status.h"

#include <cstdint>

namespace offscreen {

using runtime::Status;

// What a read copies: 3 bytes a pixel, red, green and blue, or 1, alpha.
enum class Pixels { rgb = 3, alpha = 1 };

// Copies `rows` rows of `width` pixels of the framebuffer bound for
// reading, from (x, first_row) counted from its lower left, into `bytes`,
// top row first, each `width` x the bytes a pixel long.
void read_rows(int x, int first_row, int width, int rows, Pixels pixels, std::uint8_t* bytes);

class Framebuffer {
public:
    Framebuffer() = default;
    // Needs the context the names were made in current, as `release` does.
    ~Framebuffer() { release(); }

    // The object owns GL names.
    Framebuffer(const Framebuffer&) = delete;
    Framebuffer& operator=(const Framebuffer&) = delete;

    // Whether the current context has framebuffer objects, and why not.
    static Status available();

    // Binds a framebuffer for a picture of width x height, with colour and
    // 24-bit depth, for drawing: `scale()` times the size each way, so that
    // edges come out smooth, each picture pixel the mean of a 2 x 2 block;
    // the size itself for a picture whose larger framebuffer would pass the
    // driver's largest side or `max_drawn_pixels` (the memory of today's
    // largest picture drawn once). Supersampled, not multisampled: on
    // Mesa's software rasteriser a 999 x 1000 shape at 480 x 480 costs about
    // a third more so, and 2.6 times as much with four samples a pixel; and
    // text drawn after `resolve` stays crisp. Made anew only when the size
    // changes. The viewport is left to the caller.
    Status use(int width, int height);
    static constexpr long long max_drawn_pixels = 8192LL * 8192;
    // The bound framebuffer's pixels a picture's pixel, each way: 1 or 2.
    int scale() const { return scale_; }
    // Brings the drawing down to the picture's size, and binds that for
    // drawing at its size, as text is: after it, until the framebuffer is
    // used again, only draw at the picture's size. Nothing for scale 1.
    void resolve();
    // Copies `rows` rows of the resolved picture, from `first_row` counted
    // from its bottom, as `read_rows` does.
    void read(int first_row, int rows, Pixels pixels, std::uint8_t* bytes) const;

    // Deletes the names, in the context they were made in, and binds the
    // context's own framebuffer again.
    void release();
    // Drops the names without deleting them, as when they went with their
    // context.
    void forget();

private:
    // Drawn into; for scale 2, brought down into the picture's own.
    std::uint32_t framebuffer = 0, color_buffer = 0, depth_buffer = 0;
    std::uint32_t picture_framebuffer = 0, picture_color = 0;
    int width = 0, height = 0, scale_ = 1;
};

} // namespace offscreen
