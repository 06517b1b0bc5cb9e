#include "screen/glfw_layer.h"

#include "runtime/version.h"
#include "screen/window_icon.h"

#include <GLFW/glfw3.h>

#include <array>

static_assert(screen::bits_dont_care == GLFW_DONT_CARE, "the library's own \"don't care\"");

namespace screen {
namespace {

struct Layer_state {
    GLFWwindow* window = nullptr;
    Window_size_handler window_size = nullptr;
    Mouse_button_handler mouse_button = nullptr;
    Mouse_position_handler mouse_position = nullptr;
    Mouse_wheel_handler mouse_wheel = nullptr;
    Key_handler key = nullptr;
    Char_handler character = nullptr;
    double wheel_position = 0;
};

Layer_state state;

constexpr int outside_position = -1;

void on_framebuffer_size(GLFWwindow*, int width, int height)
{
    if (state.window_size)
        state.window_size(width, height);
}

void on_mouse_button(GLFWwindow*, int button, int action, int)
{
    if (state.mouse_button)
        state.mouse_button(button, action);
}

void on_cursor_position(GLFWwindow*, double x, double y)
{
    if (state.mouse_position)
        state.mouse_position(static_cast<int>(x), static_cast<int>(y));
}

// Leaving reports a position outside the window, so that nothing stays
// hovered under a pointer that is gone.
void on_cursor_enter(GLFWwindow*, int entered)
{
    if (!entered && state.mouse_position)
        state.mouse_position(outside_position, outside_position);
}

void on_scroll(GLFWwindow*, double, double y_offset)
{
    state.wheel_position += y_offset;
    if (state.mouse_wheel)
        state.mouse_wheel(static_cast<int>(state.wheel_position));
}

void on_key(GLFWwindow*, int key, int, int action, int)
{
    if (state.key)
        state.key(key, action == GLFW_RELEASE ? action_release : action_press);
}

void on_char(GLFWwindow*, unsigned int codepoint)
{
    if (state.character)
        state.character(static_cast<int>(codepoint), action_press);
}

// The package's artwork at each size built in; the window manager picks one.
void set_window_icon(GLFWwindow* window)
{
    std::array<GLFWimage, std::size(window_icon::rasters)> images{};
    for (std::size_t i = 0; i < images.size(); ++i) {
        const window_icon::Raster& raster = window_icon::rasters[i];
        // GLFW copies the pixels and never writes them.
        images[i] = {raster.side, raster.side, const_cast<unsigned char*>(raster.rgba)};
    }
    glfwSetWindowIcon(window, static_cast<int>(images.size()), images.data());
}

} // namespace

bool init()
{
    return glfwInit() == GLFW_TRUE;
}

bool open_window(int width, int height, int red_bits, int green_bits, int blue_bits, int alpha_bits, int depth_bits,
                 int stencil_bits, int mode, int samples)
{
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_RED_BITS, red_bits);
    glfwWindowHint(GLFW_GREEN_BITS, green_bits);
    glfwWindowHint(GLFW_BLUE_BITS, blue_bits);
    glfwWindowHint(GLFW_ALPHA_BITS, alpha_bits);
    glfwWindowHint(GLFW_DEPTH_BITS, depth_bits);
    glfwWindowHint(GLFW_STENCIL_BITS, stencil_bits);
    glfwWindowHint(GLFW_SAMPLES, samples > 0 ? samples : 0);
    // The class ties the window to the desktop entry of the same id, so that
    // docks show its icon and no second entry.
    glfwWindowHintString(GLFW_X11_CLASS_NAME, SUPERSHAPE_APP_ID);
    glfwWindowHintString(GLFW_X11_INSTANCE_NAME, SUPERSHAPE_APP_ID);
    // The default request (version 1.0, any profile) gets a compatibility
    // context, which keeps the fixed-function pipeline.
    GLFWmonitor* monitor = mode == window_mode_fullscreen ? glfwGetPrimaryMonitor() : nullptr;
    state.window = glfwCreateWindow(width, height, "", monitor, nullptr);
    if (!state.window)
        return false;
    glfwMakeContextCurrent(state.window);
    set_window_icon(state.window);
    glfwSetFramebufferSizeCallback(state.window, on_framebuffer_size);
    glfwSetMouseButtonCallback(state.window, on_mouse_button);
    glfwSetCursorPosCallback(state.window, on_cursor_position);
    glfwSetCursorEnterCallback(state.window, on_cursor_enter);
    glfwSetScrollCallback(state.window, on_scroll);
    glfwSetKeyCallback(state.window, on_key);
    glfwSetCharCallback(state.window, on_char);
    return true;
}

void terminate()
{
    glfwTerminate();
    state = Layer_state{};
}

void swap_interval(int interval)
{
    glfwSwapInterval(interval);
}

void enable_mouse_cursor()
{
    if (state.window)
        glfwSetInputMode(state.window, GLFW_CURSOR, GLFW_CURSOR_NORMAL);
}

// Keys always repeat with GLFW 3; the key handler turns repeats into presses.
void enable_key_repeat() {}

void set_window_title(const char* title)
{
    if (state.window)
        glfwSetWindowTitle(state.window, title);
}

void set_window_size_callback(Window_size_handler handler)
{
    state.window_size = handler;
    if (handler && state.window) {
        int width = 0, height = 0;
        glfwGetFramebufferSize(state.window, &width, &height);
        handler(width, height);
    }
}

void set_mouse_button_callback(Mouse_button_handler handler)
{
    state.mouse_button = handler;
}

void set_mouse_pos_callback(Mouse_position_handler handler)
{
    state.mouse_position = handler;
    if (handler && state.window) {
        double x = 0, y = 0;
        glfwGetCursorPos(state.window, &x, &y);
        handler(static_cast<int>(x), static_cast<int>(y));
    }
}

void set_mouse_wheel_callback(Mouse_wheel_handler handler)
{
    state.mouse_wheel = handler;
    if (handler)
        handler(static_cast<int>(state.wheel_position));
}

void set_key_callback(Key_handler handler)
{
    state.key = handler;
}

void set_char_callback(Char_handler handler)
{
    state.character = handler;
}

void swap_buffers()
{
    glfwPollEvents();
    if (state.window)
        glfwSwapBuffers(state.window);
}

bool window_open()
{
    return state.window && !glfwWindowShouldClose(state.window);
}

void close_window()
{
    if (state.window)
        glfwDestroyWindow(state.window);
    state.window = nullptr;
}

double get_time()
{
    return glfwGetTime();
}

GLFWwindow* window()
{
    return state.window;
}

} // namespace screen
