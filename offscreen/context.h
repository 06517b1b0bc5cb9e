// A GL context without a window: EGL on Mesa's surfaceless platform, a
// compatibility profile so that the fixed-function drawing works unchanged,
// and a framebuffer object of the size asked for. It needs no X server and
// never looks at DISPLAY.
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

    // Binds a framebuffer of width x height, with colour and 24-bit depth,
    // for drawing and reading; made anew only when the size changes. The
    // viewport is left to the caller.
    Status use_framebuffer(int width, int height);
    // What `read` copies: 3 bytes a pixel, red, green and blue, or 1, alpha.
    enum class Pixels { rgb = 3, alpha = 1 };
    // Copies `rows` rows of the framebuffer, from `first_row` counted from
    // its bottom, into `bytes`, top row first, rows `framebuffer width` x
    // the bytes a pixel long.
    void read(int first_row, int rows, Pixels pixels, std::uint8_t* bytes) const;

    // Ends the context, and the display once no other context uses it. The
    // object can be opened again.
    void close();

private:
    void release_framebuffer();

    // EGL's handles, kept as their plain pointer type.
    void* display = nullptr;
    void* context = nullptr;
    int side_limit = 0;
    std::uint32_t framebuffer = 0, color_buffer = 0, depth_buffer = 0;
    int width = 0, height = 0;
};

} // namespace offscreen
