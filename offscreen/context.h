// A GL context without a window: EGL on Mesa's surfaceless platform, a
// compatibility profile so that the fixed-function drawing works unchanged,
// and a framebuffer object of the size asked for (offscreen/framebuffer.h).
// It needs no X server and never looks at DISPLAY.
#pragma once

#include "offscreen/framebuffer.h"
#include "runtime/status.h"

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
    // Makes the context current and binds its framebuffer for a picture of
    // width x height, as `Framebuffer::use` does.
    Status use_framebuffer(int width, int height);
    Framebuffer& framebuffer() { return framebuffer_; }

    // Ends the context, and the display once no other context uses it. The
    // object can be opened again.
    void close();

private:
    // EGL's handles, kept as their plain pointer type.
    void* display = nullptr;
    void* context = nullptr;
    Framebuffer framebuffer_;
};

} // namespace offscreen
