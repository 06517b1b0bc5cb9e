// A GL context without a window: EGL on Mesa's surfaceless platform, a
// compatibility profile so that the fixed-function drawing works unchanged,
// and a framebuffer object of the size asked for, drawn at twice the size
// for smooth edges. It needs no X server and never looks at DISPLAY.
#pragma once

#include "runtime/status.h"

#include <cstdint>

namespace offscreen {

using runtime::Status;

// Makes the process keep the memory it frees for its own reuse, which makes
// large drawings on the software rasteriser twice as fast (context.cpp): a
// choice for the program that draws, once, before its first drawing.
void keep_freed_memory();

class Context {
public:
    Context() = default;
    ~Context();

    // The object owns an EGL context and GL names.
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // Starts the display and a context, current on the calling thread, in
    // the editor's GL start state. Succeeds at once when already open.
    Status open();
    bool is_open() const { return context != nullptr; }
    // Makes the context current again, as after drawing with another one of
    // EGL's on this thread.
    Status make_current();
    // The largest framebuffer side the driver takes.
    int max_side() const { return side_limit; }

    // Binds a framebuffer for a picture of width x height, with colour and
    // 24-bit depth, for drawing: `scale()` times the size each way, so that
    // edges come out smooth, each picture pixel the mean of a 2 x 2 block;
    // the size itself for a picture whose larger framebuffer would pass
    // `max_side()` or `max_drawn_pixels` (the memory of today's largest
    // picture drawn once). Supersampled, not multisampled: on Mesa's
    // software rasteriser a 999 x 1000 shape at 480 x 480 costs about a
    // third more so, and 2.6 times as much with four samples a pixel; and
    // text drawn after `resolve` stays crisp. Made anew only when the size
    // changes. The viewport is left to the caller.
    Status use_framebuffer(int width, int height);
    static constexpr long long max_drawn_pixels = 8192LL * 8192;
    // The bound framebuffer's pixels a picture's pixel, each way: 1 or 2.
    int scale() const { return scale_; }
    // Brings the drawing down to the picture's size, and binds that for
    // drawing at its size, as text is: after it, until the framebuffer is
    // used again, only draw at the picture's size. Nothing for scale 1.
    void resolve();
    // What `read` copies: 3 bytes a pixel, red, green and blue, or 1, alpha.
    enum class Pixels { rgb = 3, alpha = 1 };
    // Copies `rows` rows of the resolved picture, from `first_row` counted
    // from its bottom, into `bytes`, top row first, rows `picture width` x
    // the bytes a pixel long.
    void read(int first_row, int rows, Pixels pixels, std::uint8_t* bytes) const;

    // Ends the context, and the display once no other context uses it. The
    // object can be opened again.
    void close();

private:
    void release_framebuffer();
    void forget_framebuffer();

    // EGL's handles, kept as their plain pointer type.
    void* display = nullptr;
    void* context = nullptr;
    int side_limit = 0;
    // Drawn into; for scale 2, brought down into the picture's own.
    std::uint32_t framebuffer = 0, color_buffer = 0, depth_buffer = 0;
    std::uint32_t picture_framebuffer = 0, picture_color = 0;
    int width = 0, height = 0, scale_ = 1;
};

} // namespace offscreen
