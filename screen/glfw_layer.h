// The window library as the program uses it: one window, opened with its
// colour, depth and stencil bits; handlers registered per kind of event; a
// buffer swap that first delivers pending events; a clock in seconds.
// Built on GLFW 3; callers never see its types except the window handle.
#pragma once

struct GLFWwindow;

namespace screen {

// Window modes of `open_window`.
constexpr int window_mode_window = 0x00010001;
constexpr int window_mode_fullscreen = 0x00010002;

// Key actions.
constexpr int action_release = 0;
constexpr int action_press = 1;

using Window_size_handler = void (*)(int width, int height);
using Mouse_button_handler = void (*)(int button, int action);
using Mouse_position_handler = void (*)(int x, int y);
using Mouse_wheel_handler = void (*)(int position);
// Keys are GLFW 3 key codes; a held key repeats as further presses.
using Key_handler = void (*)(int key, int action);
using Char_handler = void (*)(int character, int action);

// A bit count left to the library's choice.
constexpr int bits_dont_care = -1;

// Returns false when the library cannot start; true at once when it runs.
bool init();
// Opens the window with a context that has the fixed-function pipeline and
// makes it current; `samples` above 0 asks for multisampling. Returns false
// when that fails.
bool open_window(int width, int height, int red_bits, int green_bits, int blue_bits, int alpha_bits, int depth_bits,
                 int stencil_bits, int mode, int samples = 0);
// Closes the window and ends the library.
void terminate();
void swap_interval(int interval);

void enable_mouse_cursor();
void enable_key_repeat();
void set_window_title(const char* title);

// The handler receives the framebuffer size in pixels, once at registration
// and on every change.
void set_window_size_callback(Window_size_handler handler);
void set_mouse_button_callback(Mouse_button_handler handler);
// Called at once with the current position, then on every move; (-1, -1)
// when the pointer leaves the window.
void set_mouse_pos_callback(Mouse_position_handler handler);
// Reports the wheel's accumulated position; called at once with it.
void set_mouse_wheel_callback(Mouse_wheel_handler handler);
void set_key_callback(Key_handler handler);
void set_char_callback(Char_handler handler);

// Delivers pending window events to the handlers, then shows the frame.
void swap_buffers();
// False once the user has asked the window system to close the window.
bool window_open();
void close_window();
// Seconds since the library started.
double get_time();

// The window, for libraries that attach to it (the panel's back end).
GLFWwindow* window();

} // namespace screen
