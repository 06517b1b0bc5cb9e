// Starts the real editor on the current X display and drives it as a user
// would: keys and clicks through xdotool, pictures through ImageMagick's
// import. Every wait has a timeout, and the program is killed at the end.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

struct Rgb {
    unsigned char r, g, b;
    bool operator==(const Rgb& other) const { return r == other.r && g == other.g && b == other.b; }
};

// A window's picture, top row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;

    const Rgb& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    int count(const Rgb& colour) const;
    // Pixels of `colour` inside the box from (left, top) to (right, bottom), exclusive.
    int count_in(const Rgb& colour, int left, int top, int right, int bottom) const;
};

// A fresh empty folder under /tmp.
std::string make_scratch_folder();

class Editor_process {
public:
    // Starts the editor with `working_folder` as its working directory and
    // its standard output and error captured there. `environment_changes`
    // are NAME=VALUE to set, or NAME alone to unset; `arguments` follow the
    // program's name.
    explicit Editor_process(std::string working_folder, std::vector<std::string> environment_changes = {},
                            std::vector<std::string> arguments = {});
    ~Editor_process();

    Editor_process(const Editor_process&) = delete;
    Editor_process& operator=(const Editor_process&) = delete;

    // The program's window, waiting for it to appear; empty when it did not.
    const std::string& window();
    std::string window_title();

    Picture capture();
    // Captures until `wanted` holds or `seconds` pass; returns the last picture.
    Picture capture_until(const std::function<bool(const Picture&)>& wanted, double seconds = 20);

    // Taps a key or a chord such as ctrl+a quickly, as a user does: every
    // press, then every release, with no pause between them.
    void key(const std::string& keysym);
    void type(const std::string& text);
    // Left clicks at a position in window coordinates.
    void click(int x, int y, int count = 1);
    // Moves the pointer to a position in window coordinates.
    void point_at(int x, int y);
    // Moves the pointer off the window, to the display's far corner.
    static void point_away();
    // Turns the wheel by `notches` towards the user over a position; by
    // -`notches` away from the user when `notches` is negative.
    void scroll_down(int x, int y, int notches);
    // Asks, as the window system does for the frame's close button, that the
    // window be closed.
    void request_close();

    // The exit status once the program has ended, or nothing after `seconds`.
    // A program killed by a signal reports 128 + the signal.
    std::optional<int> wait_for_exit(double seconds = 10);

    std::string standard_output() const;
    std::string standard_error() const;

private:
    std::string folder_;
    pid_t pid_ = -1;
    std::optional<int> exit_status_;
    std::string window_;
};

} // namespace test_support
