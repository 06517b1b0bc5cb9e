// A bar and its entries as the panel holds them: what was added, and what
// each definition text was parsed into.
#pragma once

#include "panel/definition.h"
#include "panel/tweak_bar.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace panel {

struct Entry {
    enum class Kind { button, separator, value, text, choice };
    Kind kind = Kind::separator;
    std::string name;
    Definition definition;
    ETwType type = TW_TYPE_BOOL32;
    void* variable = nullptr;
    TwButtonCallback callback = nullptr;
    void* client_data = nullptr;
    // What a text line shows, and a list's choices (its place is `variable`).
    const std::string* text = nullptr;
    const std::vector<std::string>* choices = nullptr;

    const char* label() const { return definition.label ? definition.label->c_str() : name.c_str(); }
};

// A number the mouse edits outside the bars, within its entry's range.
struct Bound_number {
    float* value = nullptr;
    std::optional<double> min, max;
};

// What TwSetViewControls was given, each number with its entry's range.
struct View_binding {
    Bound_number turn_x, turn_y, pan_x, pan_y;
    std::int32_t* spinning = nullptr;
    float* zoom = nullptr;
    float view_height = 1.0f;
    std::function<void()> spin_stopped;
};

// The entries of `bar` in the order they were added, read-only.
const std::vector<Entry>& entries(const TwBar& bar);

} // namespace panel

struct TwBar {
    std::string name;
    std::vector<panel::Entry> entries;
    // The bar's place among the bars, from 0.
    int index = 0;
    ETwBarCorner corner = TW_CORNER_TOP_LEFT;
    bool folded = false;
    // How the bar was last drawn: whether it was open, where, the window's
    // height then, and whether a click asked it to open or another bar in
    // its corner to fold.
    struct Drawn {
        bool ever = false, folded = false;
        TwBox box;
        float display_height = 0;
        bool open_asked = false, fold_asked = false;
    } drawn;
};
