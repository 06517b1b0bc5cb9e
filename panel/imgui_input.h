// The panel's input: window-library events held as they arrive and handed to
// Dear ImGui at the start of a frame, never during one. The only part of the
// panel that knows ImGui's input interface and GLFW's codes, so that moving
// to another version of either touches this file alone.
#pragma once

#include <vector>

namespace panel {

// A key going down, with the modifiers held at that moment.
struct Key_press {
    int key = 0;
    bool ctrl = false, shift = false;
};

bool is_escape(const Key_press& press);

// Gives the current ImGui context the key map. Input recorded for an
// earlier context goes to this one.
void start_input();

// Keys and buttons are the window library's codes, `action` its press
// (repeats included) or release; codes ImGui has no place for are dropped.
void record_key(int key, int action);
void record_mouse_button(int button, int action);
void record_mouse_position(int x, int y);
// The wheel's accumulated position, as the window library reports it.
void record_wheel(int position);
// A Unicode code point, taken on a press; anything else is dropped.
void record_character(int code_point, int action);
// The framebuffer size in pixels; negative sizes count as 0.
void record_window_size(int width, int height);

// Hands ImGui the display size, the time since the last frame and the
// recorded events this frame can take in order: a second change of one key
// or button, or keys and text mixed, wait for the next frame, so that a
// press and release between two frames still counts. A key ImGui does not
// read at the time (outside a field, the letters of its editing chords and
// the modifiers) may change again, so that every press of R or Ctrl+Z made
// since the last frame reaches this one. Call it right before
// ImGui::NewFrame. Returns the key presses handed over, in order.
std::vector<Key_press> feed_frame();

} // namespace panel
