#include "panel/widgets.h"

#include "panel/imgui_input.h"
#include "panel/registry.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace panel {
namespace {

constexpr float bar_margin = 16.0f;
constexpr float bar_width = 220.0f;
constexpr float bar_height = 320.0f;
// Labels never take more than this share of a bar's width.
constexpr float widest_label_share = 0.5f;
// Before the end of a name too long to show whole.
constexpr char cut_mark[] = "...";

// An Esc press of the last frame that nothing in the panel used.
bool escape_left = false;
// The button of a drag that began outside every bar, while it is held.
std::optional<ImGuiMouseButton> view_drag;

// The exact value of a number dragged by its label, from its press on.
double label_dragged = 0.0;
// A number dragged by its label moves by at least its step a pixel, and by
// this share of its size where that is more; Shift makes it finer.
constexpr double drag_share = 0.005, shift_finer = 10.0;

constexpr float turn_per_pixel = 0.5f;
constexpr float zoom_per_notch = 1.1f, min_zoom = 0.25f, max_zoom = 4.0f;

template <class T>
T clamped(T value, const Definition& d)
{
    if (d.min)
        value = std::max(value, static_cast<T>(*d.min));
    if (d.max)
        value = std::min(value, static_cast<T>(*d.max));
    return value;
}

void edit_value(const Entry& entry)
{
    const Definition& d = entry.definition;
    // A typed value takes effect on Enter, as in a tweak bar, not per keystroke.
    const ImGuiInputTextFlags typing = ImGuiInputTextFlags_EnterReturnsTrue;
    switch (entry.type) {
    case TW_TYPE_BOOL32: {
        auto* flag = static_cast<std::int32_t*>(entry.variable);
        bool on = *flag != 0;
        if (ImGui::Checkbox("##value", &on))
            *flag = on ? 1 : 0;
        break;
    }
    case TW_TYPE_INT32: {
        auto* number = static_cast<std::int32_t*>(entry.variable);
        const int step = d.step ? std::max(1, static_cast<int>(*d.step)) : 1;
        int value = *number;
        if (ImGui::InputInt("##value", &value, step, step * 10, typing))
            *number = clamped(value, d);
        break;
    }
    case TW_TYPE_FLOAT: {
        auto* number = static_cast<float*>(entry.variable);
        const float step = d.step ? static_cast<float>(*d.step) : 0.0f;
        char format[16];
        std::snprintf(format, sizeof format, "%%.%df", d.step ? d.step_decimals : 3);
        float value = *number;
        // Typed text such as "nan" or "inf" is not a value.
        if (ImGui::InputFloat("##value", &value, step, step * 10, format, typing) && std::isfinite(value))
            *number = clamped(value, d);
        break;
    }
    case TW_TYPE_COLOR32: {
        auto* bytes = static_cast<std::uint8_t*>(entry.variable);
        float colour[4];
        for (int i = 0; i < 4; ++i)
            colour[i] = bytes[i] / 255.0f;
        const ImGuiColorEditFlags flags = ImGuiColorEditFlags_Uint8 | ImGuiColorEditFlags_DisplayRGB |
                                          (d.alpha ? ImGuiColorEditFlags_AlphaBar : ImGuiColorEditFlags_NoAlpha);
        if (ImGui::ColorEdit4("##value", colour, flags))
            for (int i = 0; i < (d.alpha ? 4 : 3); ++i)
                bytes[i] = static_cast<std::uint8_t>(std::lround(std::clamp(colour[i], 0.0f, 1.0f) * 255.0f));
        break;
    }
    }
}

// A press on the label of a number and a move change it, live; a click on
// its field still types into it. Call it right after the label is drawn,
// with `row` where the row starts: the label's place becomes a button there.
void drag_by_label(const Entry& entry, ImVec2 row)
{
    const ImVec2 label = ImGui::GetItemRectSize();
    // An empty label leaves nothing to press, and ImGui takes no button without a width.
    if (label.x <= 0.0f)
        return;
    ImGui::SetCursorScreenPos(row);
    ImGui::InvisibleButton("##drag", ImVec2(label.x, ImGui::GetFrameHeight()));
    const bool whole = entry.type == TW_TYPE_INT32;
    auto* count = static_cast<std::int32_t*>(entry.variable);
    auto* number = static_cast<float*>(entry.variable);
    // The moves of the press's frame came before it.
    if (ImGui::IsItemActivated())
        label_dragged = whole ? *count : *number;
    const ImGuiIO& io = ImGui::GetIO();
    if (!ImGui::IsItemActive() || ImGui::IsItemActivated() || io.MouseDelta.x == 0.0f)
        return;
    const Definition& d = entry.definition;
    const double step = d.step ? *d.step : whole ? 1.0 : 0.001;
    const double per_pixel = std::max(step, drag_share * std::fabs(label_dragged)) / (io.KeyShift ? shift_finer : 1.0);
    label_dragged = clamped(label_dragged + io.MouseDelta.x * per_pixel, d);
    if (whole)
        *count = static_cast<std::int32_t>(std::lround(std::clamp(label_dragged, -2e9, 2e9)));
    else
        *number = static_cast<float>(label_dragged);
}

void show_help(const Entry& entry)
{
    if (entry.definition.help && ImGui::IsItemHovered())
        ImGui::SetTooltip("%s", entry.definition.help->c_str());
}

// Values line up right of the widest label beside them.
float value_column_start(const TwBar& bar)
{
    float widest = 0.0f;
    for (const Entry& entry : bar.entries)
        if ((entry.kind == Entry::Kind::value && entry.type != TW_TYPE_COLOR32) || entry.kind == Entry::Kind::text ||
            entry.kind == Entry::Kind::choice)
            widest = std::max(widest, ImGui::CalcTextSize(entry.label()).x);
    const ImGuiStyle& style = ImGui::GetStyle();
    const float limit = ImGui::GetContentRegionAvail().x * widest_label_share;
    return style.WindowPadding.x + std::min(widest + 2.0f * style.ItemSpacing.x, limit);
}

bool presses(const Definition::Shortcut& shortcut, const Key_press& press)
{
    return shortcut.key == press.key && shortcut.ctrl == press.ctrl &&
           (!shortcut.ctrl || shortcut.shift == press.shift);
}

const Entry* button_with_shortcut(const Key_press& press)
{
    for (const auto& bar : bars())
        for (const Entry& entry : bar->entries)
            for (const Definition::Shortcut& shortcut : entry.definition.keys)
                if (entry.kind == Entry::Kind::button && presses(shortcut, press))
                    return &entry;
    return nullptr;
}

// Without a label the text has the bar's whole width, wrapped.
void show_text(const Entry& entry, float value_column)
{
    ImGui::AlignTextToFramePadding();
    if (*entry.label() == '\0') {
        ImGui::TextWrapped("%s", entry.text->c_str());
    } else {
        ImGui::TextUnformatted(entry.label());
        ImGui::SameLine(value_column);
        ImGui::TextUnformatted(entry.text->c_str());
    }
    show_help(entry);
}

// Text drawn as it is at `at`: ImGui would end a label at "##".
void draw_text(ImDrawList& list, ImVec2 at, const std::string& text)
{
    list.AddText(at, ImGui::GetColorU32(ImGuiCol_Text), text.c_str(), text.c_str() + text.size());
}

void choose(const Entry& entry, float value_column)
{
    auto* chosen = static_cast<std::int32_t*>(entry.variable);
    const std::vector<std::string>& choices = *entry.choices;
    const bool shown = *chosen >= 0 && static_cast<std::size_t>(*chosen) < choices.size();
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(entry.label());
    show_help(entry);
    ImGui::SameLine(value_column);
    ImGui::SetNextItemWidth(-FLT_MIN);
    const ImGuiStyle& style = ImGui::GetStyle();
    const ImVec2 frame = ImGui::GetCursorScreenPos();
    const float preview_width = ImGui::CalcItemWidth() - ImGui::GetFrameHeight() - 2.0f * style.FramePadding.x;
    ImDrawList& bar_list = *ImGui::GetWindowDrawList();
    const bool open = ImGui::BeginCombo("##value", "");
    if (shown)
        draw_text(bar_list, ImVec2(frame.x + style.FramePadding.x, frame.y + style.FramePadding.y),
                  end_within(choices[static_cast<std::size_t>(*chosen)], preview_width));
    if (open) {
        for (std::size_t i = 0; i < choices.size(); ++i) {
            ImGui::PushID(static_cast<int>(i));
            const ImVec2 at = ImGui::GetCursorScreenPos();
            const float width = ImGui::GetContentRegionAvail().x;
            if (ImGui::Selectable("##choice", shown && static_cast<std::size_t>(*chosen) == i)) {
                *chosen = static_cast<std::int32_t>(i);
                if (entry.callback)
                    entry.callback(entry.client_data);
            }
            if (ImGui::IsItemVisible())
                draw_text(*ImGui::GetWindowDrawList(), at, end_within(choices[i], width));
            ImGui::PopID();
        }
        ImGui::EndCombo();
    }
}

// The width of a bar of the bottom-right corner: a folded one is as wide as
// its title, so that the corner's titles fit side by side in a small window.
float corner_width(const TwBar& bar)
{
    const bool folded = bar.drawn.ever ? bar.drawn.folded : bar.folded;
    return folded ? ImGui::CalcTextSize(bar.name.c_str()).x + 2.0f * ImGui::GetFrameHeight() : bar_width;
}

// Runs `bar` as an ImGui window for this frame. The bars of the bottom-right
// corner stay in it, side by side, the open one rightmost, no taller than a
// third of the window so that the shape shows above it; one opening folds the
// others there. A bar of the top-left corner grows with a taller window to
// show its entries.
void run_bar(TwBar& bar)
{
    TwBar::Drawn& drawn = bar.drawn;
    const ImVec2 window = ImGui::GetIO().DisplaySize;
    const ImGuiStyle& style = ImGui::GetStyle();
    // A short bar is no taller than its entries.
    const float entries_height = ImGui::GetFrameHeight() + 2.0f * style.WindowPadding.y +
                                 static_cast<float>(bar.entries.size()) * ImGui::GetFrameHeightWithSpacing();
    if (bar.corner == TW_CORNER_BOTTOM_RIGHT) {
        const auto before = [](const TwBar& one, const TwBar& other) {
            return one.drawn.folded != other.drawn.folded ? !one.drawn.folded : one.index < other.index;
        };
        float right = window.x - bar_margin;
        for (const auto& other : bars())
            if (other->corner == TW_CORNER_BOTTOM_RIGHT && before(*other, bar))
                right -= corner_width(*other) + bar_margin / 2;
        ImGui::SetNextWindowPos(ImVec2(right, window.y - bar_margin), ImGuiCond_Always, ImVec2(1.0f, 1.0f));
        ImGui::SetNextWindowSize(ImVec2(corner_width(bar), std::min({bar_height, entries_height, window.y / 3.0f})));
    } else {
        ImGui::SetNextWindowPos(ImVec2(bar_margin + 24.0f * bar.index, bar_margin + 24.0f * bar.index),
                                ImGuiCond_FirstUseEver);
        ImGui::SetNextWindowSize(ImVec2(bar_width, std::min(bar_height, entries_height)), ImGuiCond_FirstUseEver);
        // Above the titles of the bottom-right corner.
        const float room = window.y - 3.0f * bar_margin - ImGui::GetFrameHeight();
        if (drawn.ever && window.y != drawn.display_height)
            ImGui::SetNextWindowSize(ImVec2(bar_width, std::min(entries_height, std::max(bar_height, room))));
    }
    ImGui::SetNextWindowCollapsed(bar.folded, ImGuiCond_FirstUseEver);
    if (drawn.open_asked || drawn.fold_asked)
        ImGui::SetNextWindowCollapsed(drawn.fold_asked, ImGuiCond_Always);
    drawn.open_asked = drawn.fold_asked = false;
    const bool open = ImGui::Begin(bar.name.c_str());
    const bool folded = ImGui::IsWindowCollapsed();
    // A click anywhere on a folded title opens the bar.
    drawn.open_asked = folded && ImGui::IsWindowHovered() && ImGui::IsMouseClicked(ImGuiMouseButton_Left);
    if (bar.corner == TW_CORNER_BOTTOM_RIGHT && drawn.ever && drawn.folded && !folded)
        for (const auto& other : bars())
            other->drawn.fold_asked = other.get() != &bar && other->corner == TW_CORNER_BOTTOM_RIGHT;
    drawn.ever = true;
    drawn.folded = folded;
    const ImVec2 at = ImGui::GetWindowPos(), size = ImGui::GetWindowSize();
    drawn.box = {at.x, at.y, at.x + size.x, at.y + size.y};
    drawn.display_height = window.y;
    if (open) {
        const float value_column = value_column_start(bar);
        for (const Entry& entry : bar.entries) {
            ImGui::PushID(entry.name.c_str());
            switch (entry.kind) {
            case Entry::Kind::button:
                if (ImGui::Button(entry.label(), ImVec2(-FLT_MIN, 0.0f)))
                    entry.callback(entry.client_data);
                show_help(entry);
                break;
            case Entry::Kind::separator: ImGui::Separator(); break;
            case Entry::Kind::text: show_text(entry, value_column); break;
            case Entry::Kind::choice: choose(entry, value_column); break;
            case Entry::Kind::value:
                if (entry.type == TW_TYPE_COLOR32) {
                    // Four channels need the bar's whole width, under the label.
                    ImGui::TextUnformatted(entry.label());
                    show_help(entry);
                    ImGui::SetNextItemWidth(-FLT_MIN);
                    edit_value(entry);
                    show_help(entry);
                    break;
                }
                const ImVec2 row = ImGui::GetCursorScreenPos();
                ImGui::AlignTextToFramePadding();
                ImGui::TextUnformatted(entry.label());
                if (entry.type != TW_TYPE_BOOL32)
                    drag_by_label(entry, row);
                show_help(entry);
                // A switch whose label is wider than the labels' column has its box after the label.
                ImGui::SameLine(entry.type == TW_TYPE_BOOL32
                                    ? std::max(value_column, ImGui::GetItemRectMax().x - ImGui::GetWindowPos().x +
                                                                 ImGui::GetStyle().ItemSpacing.x)
                                    : value_column);
                ImGui::SetNextItemWidth(-FLT_MIN);
                edit_value(entry);
                show_help(entry);
                break;
            }
            ImGui::PopID();
        }
    }
    ImGui::End();
}

// Each key press presses the button it is the shortcut of, unless the last
// frame had a field being typed into. Call it after ImGui::NewFrame, which
// tells that.
void press_shortcuts(const std::vector<Key_press>& keys)
{
    if (ImGui::GetIO().WantTextInput)
        return;
    for (const Key_press& key : keys)
        if (const Entry* button = button_with_shortcut(key))
            button->callback(button->client_data);
}

// Esc cancels what is under way in the panel: ImGui drops a field's typed
// text by itself, and an open list or colour picker is closed here, as ImGui
// closes popups on Esc only with keyboard navigation, which would take Space.
// Call it after ImGui::NewFrame, which tells whether a field is typed into.
void use_escape(const std::vector<Key_press>& keys)
{
    escape_left = false;
    for (const Key_press& key : keys) {
        if (!is_escape(key) || ImGui::GetIO().WantTextInput)
            continue;
        if (ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopup))
            ImGui::ClosePopupsOverWindow(nullptr, true);
        else
            escape_left = true;
    }
}

void nudge(const Bound_number& number, float by)
{
    double value = static_cast<double>(*number.value) + by;
    if (number.min)
        value = std::max(value, *number.min);
    if (number.max)
        value = std::min(value, *number.max);
    *number.value = static_cast<float>(value);
}

// The mouse outside every bar moves the view: a drag goes on from the frame
// after its press until it is let go, wherever the pointer goes. Call it
// after ImGui::NewFrame, which tells whether a bar takes the mouse.
void use_free_area()
{
    const std::optional<View_binding>& view = view_binding();
    if (!view)
        return;
    const ImGuiIO& io = ImGui::GetIO();
    // A move and the release in one frame still move the view.
    if (view_drag == ImGuiMouseButton_Left) {
        nudge(view->turn_y, io.MouseDelta.x * turn_per_pixel);
        nudge(view->turn_x, io.MouseDelta.y * turn_per_pixel);
    } else if (view_drag) {
        // The shape follows the pointer; zooming keeps where it shows.
        const float per_pixel = view->view_height / std::max(io.DisplaySize.y, 1.0f);
        nudge(view->pan_x, io.MouseDelta.x * per_pixel);
        nudge(view->pan_y, -io.MouseDelta.y * per_pixel);
    }
    if (view_drag && !ImGui::IsMouseDown(*view_drag))
        view_drag.reset();
    if (io.WantCaptureMouse)
        return;
    for (const ImGuiMouseButton button : {ImGuiMouseButton_Left, ImGuiMouseButton_Right, ImGuiMouseButton_Middle})
        if (!view_drag && ImGui::IsMouseClicked(button))
            view_drag = button;
    if (view_drag == ImGuiMouseButton_Left && *view->spinning != 0) {
        *view->spinning = 0;
        if (view->spin_stopped)
            view->spin_stopped();
    }
    if (io.MouseWheel != 0.0f)
        *view->zoom = std::clamp(*view->zoom * std::pow(zoom_per_notch, io.MouseWheel), min_zoom, max_zoom);
}

} // namespace

void start_imgui()
{
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    // Nothing is written to the user's folder.
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    ImGui::StyleColorsDark();
    start_input();
    open_registry();
    escape_left = false;
    view_drag.reset();
}

void stop_imgui()
{
    ImGui::DestroyContext();
    close_registry();
}

void run_frame()
{
    // ImGui takes input only before the frame starts.
    const std::vector<Key_press> pressed_keys = feed_frame();
    ImGui::NewFrame();
    press_shortcuts(pressed_keys);
    use_escape(pressed_keys);
    use_free_area();
    for (const auto& bar : bars())
        run_bar(*bar);
    ImGui::Render();
}

std::string end_within(const std::string& text, float width)
{
    if (ImGui::CalcTextSize(text.c_str()).x <= width)
        return text;
    // The first start whose rest fits: the rest only narrows as it starts later.
    const float left = width - ImGui::CalcTextSize(cut_mark).x;
    std::size_t start = 0, end = text.size();
    while (start < end) {
        const std::size_t middle = start + (end - start) / 2;
        if (ImGui::CalcTextSize(text.c_str() + middle).x > left)
            start = middle + 1;
        else
            end = middle;
    }
    // Never within a character's bytes.
    while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        ++start;
    return cut_mark + text.substr(start);
}

bool editing()
{
    return ImGui::IsAnyItemActive() || view_drag;
}

bool escape_unused()
{
    return escape_left;
}

} // namespace panel
