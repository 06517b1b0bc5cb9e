// Input for Dear ImGui 1.86, which reads the states in ImGuiIO once per frame
// and asserts that the modifier flags do not change between NewFrame and
// Render. Events therefore wait in a queue, and each frame takes them in
// order much as 1.87's own input queue does.
#include "panel/imgui_input.h"

#include <GLFW/glfw3.h>
#include <imgui.h>

#include <algorithm>
#include <bitset>
#include <chrono>
#include <cstdint>
#include <iterator>
#include <optional>
#include <utility>

namespace panel {
namespace {

constexpr int key_count = IM_ARRAYSIZE(ImGuiIO::KeysDown);
constexpr int mouse_buttons = IM_ARRAYSIZE(ImGuiIO::MouseDown);
// Past this many waiting events a frame takes them all at once, so that a
// flood cannot hold the panel back without end.
constexpr std::size_t max_waiting_events = 512;
// Far beyond any screen, and well within float and int arithmetic.
constexpr int max_display_side = 1 << 15;
constexpr float min_frame_time = 1e-4f;
constexpr std::int32_t max_code_point = 0x10FFFF;
constexpr std::int32_t first_surrogate = 0xD800, last_surrogate = 0xDFFF;

using Clock = std::chrono::steady_clock;

struct Event {
    enum class Kind : std::uint8_t { key, button, position, wheel, character };
    Kind kind;
    // The key, button or character, and whether a key or button goes down.
    int code = 0;
    bool down = false;
    // The pointer's position, or the wheel's steps in y.
    float x = 0, y = 0;
};

struct Input_state {
    std::vector<Event> waiting;
    // Keys ImGui reads: the mapped ones and the modifiers. Only these keep
    // their order with typed text.
    std::bitset<key_count> read_by_imgui;
    // Those of them it reads only in a field being typed into: the letters
    // of its editing chords and the modifiers (a click reads these too, but
    // no key change follows a click within its frame).
    std::bitset<key_count> read_in_fields;
    std::optional<int> wheel_position;
    int width = 0, height = 0;
    std::optional<Clock::time_point> last_frame;
};

Input_state input;

struct Mapped_key {
    ImGuiKey_ imgui;
    int glfw;
    bool in_fields_only = false;
};

constexpr Mapped_key key_map[] = {
    {ImGuiKey_Tab, GLFW_KEY_TAB},
    {ImGuiKey_LeftArrow, GLFW_KEY_LEFT},
    {ImGuiKey_RightArrow, GLFW_KEY_RIGHT},
    {ImGuiKey_UpArrow, GLFW_KEY_UP},
    {ImGuiKey_DownArrow, GLFW_KEY_DOWN},
    {ImGuiKey_PageUp, GLFW_KEY_PAGE_UP},
    {ImGuiKey_PageDown, GLFW_KEY_PAGE_DOWN},
    {ImGuiKey_Home, GLFW_KEY_HOME},
    {ImGuiKey_End, GLFW_KEY_END},
    {ImGuiKey_Insert, GLFW_KEY_INSERT},
    {ImGuiKey_Delete, GLFW_KEY_DELETE},
    {ImGuiKey_Backspace, GLFW_KEY_BACKSPACE},
    {ImGuiKey_Space, GLFW_KEY_SPACE},
    {ImGuiKey_Enter, GLFW_KEY_ENTER},
    {ImGuiKey_Escape, GLFW_KEY_ESCAPE},
    {ImGuiKey_KeyPadEnter, GLFW_KEY_KP_ENTER},
    // The letters of text editing chords, such as Ctrl+Z.
    {ImGuiKey_A, GLFW_KEY_A, true},
    {ImGuiKey_C, GLFW_KEY_C, true},
    {ImGuiKey_V, GLFW_KEY_V, true},
    {ImGuiKey_X, GLFW_KEY_X, true},
    {ImGuiKey_Y, GLFW_KEY_Y, true},
    {ImGuiKey_Z, GLFW_KEY_Z, true},
};

// Left and right key of each modifier flag.
constexpr int modifier_keys[4][2] = {
    {GLFW_KEY_LEFT_CONTROL, GLFW_KEY_RIGHT_CONTROL},
    {GLFW_KEY_LEFT_SHIFT, GLFW_KEY_RIGHT_SHIFT},
    {GLFW_KEY_LEFT_ALT, GLFW_KEY_RIGHT_ALT},
    {GLFW_KEY_LEFT_SUPER, GLFW_KEY_RIGHT_SUPER},
};
static_assert(GLFW_KEY_LAST < key_count, "every GLFW key has a place in KeysDown");

// Whether either key of modifier `flag` (Ctrl, Shift, Alt, Super) is down.
bool held(const ImGuiIO& io, std::size_t flag)
{
    return io.KeysDown[modifier_keys[flag][0]] || io.KeysDown[modifier_keys[flag][1]];
}

void record(const Event& event)
{
    // Motion and wheel steps in a row add up to one event.
    if (!input.waiting.empty() && input.waiting.back().kind == event.kind) {
        Event& last = input.waiting.back();
        if (event.kind == Event::Kind::position) {
            last = event;
            return;
        }
        if (event.kind == Event::Kind::wheel) {
            last.y += event.y;
            return;
        }
    }
    input.waiting.push_back(event);
}

float frame_time()
{
    const Clock::time_point now = Clock::now();
    const float seconds = input.last_frame ? std::chrono::duration<float>(now - *input.last_frame).count() : 0.0f;
    input.last_frame = now;
    return std::max(seconds, min_frame_time);
}

// What one frame has taken so far, for deciding what must wait.
struct Frame_changes {
    // Set when everything waiting goes to this frame.
    bool flood = false;
    std::bitset<key_count> keys;
    std::bitset<mouse_buttons> buttons;
    bool imgui_key = false, moved = false, wheeled = false, typed = false;
    // A key ImGui reads at this moment changed.
    bool read_key = false;

    bool must_wait(bool conflict) const { return conflict && !flood; }
};

// Hands `event` to ImGui unless it must wait for the next frame; returns
// false when it must.
bool take(const Event& event, ImGuiIO& io, Frame_changes& changes, std::vector<Key_press>& presses)
{
    switch (event.kind) {
    case Event::Kind::key:
        if (io.KeysDown[event.code] != event.down) {
            const bool imgui_key = input.read_by_imgui[event.code];
            // A key ImGui does not read now may change again within the frame, so that
            // presses made while a slow frame was drawn all reach the next one.
            const bool read = imgui_key && (io.WantTextInput || !input.read_in_fields[event.code]);
            const bool again = changes.keys[event.code] && (read || changes.read_key);
            if (changes.must_wait(again || changes.buttons.any() || (imgui_key && changes.typed)))
                return false;
            io.KeysDown[event.code] = event.down;
            changes.keys[event.code] = true;
            changes.imgui_key |= imgui_key;
            changes.read_key |= read;
        }
        if (event.down)
            presses.push_back({event.code, held(io, 0), held(io, 1)});
        return true;
    case Event::Kind::button:
        if (io.MouseDown[event.code] != event.down) {
            if (changes.must_wait(changes.buttons[event.code] || changes.wheeled))
                return false;
            io.MouseDown[event.code] = event.down;
            changes.buttons[event.code] = true;
        }
        return true;
    case Event::Kind::position:
        if (io.MousePos.x != event.x || io.MousePos.y != event.y) {
            if (changes.must_wait(changes.buttons.any() || changes.wheeled || changes.imgui_key || changes.typed))
                return false;
            io.MousePos = ImVec2(event.x, event.y);
            changes.moved = true;
        }
        return true;
    case Event::Kind::wheel:
        if (event.y == 0.0f)
            return true;
        if (changes.must_wait(changes.moved || changes.buttons.any()))
            return false;
        io.MouseWheel += event.y;
        changes.wheeled = true;
        return true;
    case Event::Kind::character:
        if (changes.must_wait(changes.imgui_key || changes.buttons.any() || changes.moved || changes.wheeled))
            return false;
        // Code points past ImWchar's range become U+FFFD inside ImGui.
        io.AddInputCharacter(static_cast<unsigned int>(event.code));
        changes.typed = true;
        return true;
    }
    return true;
}

} // namespace

bool is_escape(const Key_press& press)
{
    return press.key == GLFW_KEY_ESCAPE;
}

void start_input()
{
    ImGuiIO& io = ImGui::GetIO();
    input.read_by_imgui.reset();
    input.read_in_fields.reset();
    for (const Mapped_key& key : key_map) {
        io.KeyMap[key.imgui] = key.glfw;
        input.read_by_imgui[key.glfw] = true;
        input.read_in_fields[key.glfw] = key.in_fields_only;
    }
    for (const auto& pair : modifier_keys)
        for (int key : pair)
            input.read_by_imgui[key] = input.read_in_fields[key] = true;
}

void record_key(int key, int action)
{
    if (key >= 0 && key < key_count && (action == GLFW_PRESS || action == GLFW_RELEASE))
        record({Event::Kind::key, key, action == GLFW_PRESS});
}

void record_mouse_button(int button, int action)
{
    if (button >= 0 && button < mouse_buttons && (action == GLFW_PRESS || action == GLFW_RELEASE))
        record({Event::Kind::button, button, action == GLFW_PRESS});
}

void record_mouse_position(int x, int y)
{
    record({Event::Kind::position, 0, false, static_cast<float>(x), static_cast<float>(y)});
}

void record_wheel(int position)
{
    if (input.wheel_position)
        record({Event::Kind::wheel, 0, false, 0.0f,
                static_cast<float>(static_cast<double>(position) - *input.wheel_position)});
    input.wheel_position = position;
}

void record_character(int code_point, int action)
{
    const bool surrogate = code_point >= first_surrogate && code_point <= last_surrogate;
    if (action == GLFW_PRESS && code_point > 0 && code_point <= max_code_point && !surrogate)
        record({Event::Kind::character, code_point});
}

void record_window_size(int width, int height)
{
    input.width = std::clamp(width, 0, max_display_side);
    input.height = std::clamp(height, 0, max_display_side);
}

std::vector<Key_press> feed_frame()
{
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(static_cast<float>(input.width), static_cast<float>(input.height));
    io.DeltaTime = frame_time();

    Frame_changes changes;
    changes.flood = input.waiting.size() > max_waiting_events;
    std::vector<Key_press> presses;
    auto event = input.waiting.begin();
    while (event != input.waiting.end() && take(*event, io, changes, presses))
        ++event;
    input.waiting.erase(input.waiting.begin(), event);

    bool* const flags[] = {&io.KeyCtrl, &io.KeyShift, &io.KeyAlt, &io.KeySuper};
    for (std::size_t i = 0; i < std::size(flags); ++i)
        *flags[i] = held(io, i);
    return presses;
}

} // namespace panel
