// The panel library on Dear ImGui: each bar is an ImGui window, run and
// drawn once a frame in TwDraw. The handlers only record events; TwDraw
// hands them to ImGui before the frame starts (panel/imgui_input.h), so the
// panel needs nothing from the window library but its handlers.
#include "panel/tweak_bar.h"

#include "panel/entry.h"
#include "panel/imgui_input.h"

#include <GL/gl.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using panel::Entry;

struct TwBar {
    std::string name;
    std::vector<Entry> entries;
    int index = 0;
};

namespace {

constexpr float bar_margin = 16.0f;
constexpr float bar_width = 220.0f;
constexpr float bar_height = 320.0f;
// Labels never take more than this share of a bar's width.
constexpr float widest_label_share = 0.5f;

struct Panel_state {
    bool started = false;
    std::vector<std::unique_ptr<TwBar>> bars;
    std::string last_error;
    bool failed = false;
};

Panel_state state;

int fail(const std::string& reason)
{
    state.last_error = reason;
    state.failed = true;
    return 0;
}

// Attributes that make sense for an entry of this kind and type.
std::string misplaced_attribute(const Entry& entry)
{
    const panel::Definition& d = entry.definition;
    const bool numeric = entry.kind == Entry::Kind::value && (entry.type == TW_TYPE_INT32 || entry.type == TW_TYPE_FLOAT);
    if (d.key && entry.kind != Entry::Kind::button)
        return "key";
    if (d.alpha && !(entry.kind == Entry::Kind::value && entry.type == TW_TYPE_COLOR32))
        return "alpha";
    if ((d.min || d.max || d.step) && !numeric)
        return d.min ? "min" : d.max ? "max" : "step";
    return "";
}

int add_entry(TwBar* bar, Entry entry, const char* definition)
{
    if (!state.started)
        return fail("the panel library is not started");
    if (!bar)
        return fail("no bar given");
    if (entry.name.empty())
        return fail("an entry needs a name");
    const auto same_name = [&](const Entry& other) { return other.name == entry.name; };
    if (std::any_of(bar->entries.begin(), bar->entries.end(), same_name))
        return fail(entry.name + ": the bar already has an entry of that name");
    panel::Parse_result parsed = panel::parse_definition(definition);
    if (!parsed.error.empty())
        return fail(entry.name + ": " + parsed.error);
    entry.definition = std::move(parsed.definition);
    const std::string misplaced = misplaced_attribute(entry);
    if (!misplaced.empty())
        return fail(entry.name + ": '" + misplaced + "' does not apply to this entry");
    bar->entries.push_back(std::move(entry));
    return 1;
}

template <class T>
T clamped(T value, const panel::Definition& d)
{
    if (d.min)
        value = std::max(value, static_cast<T>(*d.min));
    if (d.max)
        value = std::min(value, static_cast<T>(*d.max));
    return value;
}

void edit_value(const Entry& entry)
{
    const panel::Definition& d = entry.definition;
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
        if (entry.kind == Entry::Kind::value && entry.type != TW_TYPE_COLOR32)
            widest = std::max(widest, ImGui::CalcTextSize(entry.label()).x);
    const ImGuiStyle& style = ImGui::GetStyle();
    const float limit = ImGui::GetContentRegionAvail().x * widest_label_share;
    return style.WindowPadding.x + std::min(widest + 2.0f * style.ItemSpacing.x, limit);
}

void run_bar(const TwBar& bar)
{
    ImGui::SetNextWindowPos(ImVec2(bar_margin + 24.0f * bar.index, bar_margin + 24.0f * bar.index),
                            ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(bar_width, bar_height), ImGuiCond_FirstUseEver);
    if (ImGui::Begin(bar.name.c_str())) {
        const float value_column = value_column_start(bar);
        for (const Entry& entry : bar.entries) {
            ImGui::PushID(entry.name.c_str());
            switch (entry.kind) {
            case Entry::Kind::button:
                if (ImGui::Button(entry.label(), ImVec2(-FLT_MIN, 0.0f)))
                    entry.callback(entry.client_data);
                show_help(entry);
                break;
            case Entry::Kind::separator:
                ImGui::Separator();
                break;
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
                ImGui::AlignTextToFramePadding();
                ImGui::TextUnformatted(entry.label());
                show_help(entry);
                ImGui::SameLine(value_column);
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

const Entry* button_with_shortcut(int key)
{
    for (const auto& bar : state.bars)
        for (const Entry& entry : bar->entries)
            if (entry.kind == Entry::Kind::button && entry.definition.key == key)
                return &entry;
    return nullptr;
}

// Each key press presses its button, unless the last frame had a field
// being typed into. Call it after ImGui::NewFrame, which tells that.
void press_shortcuts(const std::vector<int>& keys)
{
    if (ImGui::GetIO().WantTextInput)
        return;
    for (int key : keys)
        if (const Entry* button = button_with_shortcut(key))
            button->callback(button->client_data);
}

} // namespace

const std::vector<Entry>& panel::entries(const TwBar& bar)
{
    return bar.entries;
}

int TwInit(ETwGraphAPI graph_api, void*)
{
    if (state.started)
        return fail("the panel library is already started");
    if (graph_api != TW_OPENGL)
        return fail("only OpenGL is supported");
    if (glGetString(GL_VERSION) == nullptr)
        return fail("no current OpenGL context");
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    // Nothing is written to the user's folder.
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    ImGui::StyleColorsDark();
    panel::start_input();
    ImGui_ImplOpenGL2_Init();
    state.started = true;
    return 1;
}

int TwTerminate()
{
    if (!state.started)
        return fail("the panel library is not started");
    ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext();
    state = Panel_state{};
    return 1;
}

const char* TwGetLastError()
{
    return state.failed ? state.last_error.c_str() : nullptr;
}

TwBar* TwNewBar(const char* name)
{
    if (!state.started) {
        fail("the panel library is not started");
        return nullptr;
    }
    if (!name || !*name) {
        fail("a bar needs a name");
        return nullptr;
    }
    for (const auto& bar : state.bars) {
        if (bar->name == name) {
            fail(std::string(name) + ": a bar of that name exists");
            return nullptr;
        }
    }
    auto bar = std::make_unique<TwBar>();
    bar->name = name;
    bar->index = static_cast<int>(state.bars.size());
    state.bars.push_back(std::move(bar));
    return state.bars.back().get();
}

int TwAddButton(TwBar* bar, const char* name, TwButtonCallback callback, void* client_data, const char* definition)
{
    if (!callback)
        return fail(std::string(name ? name : "") + ": a button needs a callback");
    Entry entry{Entry::Kind::button, name ? name : "", {}};
    entry.callback = callback;
    entry.client_data = client_data;
    return add_entry(bar, std::move(entry), definition);
}

int TwAddSeparator(TwBar* bar, const char* name, const char* definition)
{
    return add_entry(bar, Entry{Entry::Kind::separator, name ? name : "", {}}, definition);
}

int TwAddVarRW(TwBar* bar, const char* name, ETwType type, void* variable, const char* definition)
{
    const std::string entry_name = name ? name : "";
    if (type != TW_TYPE_BOOL32 && type != TW_TYPE_INT32 && type != TW_TYPE_FLOAT && type != TW_TYPE_COLOR32)
        return fail(entry_name + ": unknown type " + std::to_string(static_cast<int>(type)));
    if (!variable)
        return fail(entry_name + ": no variable to edit");
    Entry entry{Entry::Kind::value, entry_name, {}};
    entry.type = type;
    entry.variable = variable;
    return add_entry(bar, std::move(entry), definition);
}

int TwWindowSize(int width, int height)
{
    panel::record_window_size(width, height);
    return 1;
}

int TwDraw()
{
    if (!state.started)
        return fail("the panel library is not started");
    // Everything ImGui's renderer and font upload touch, put back afterwards.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);

    // ImGui takes input only before the frame starts.
    const std::vector<int> pressed_keys = panel::feed_frame();
    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
    press_shortcuts(pressed_keys);
    for (const auto& bar : state.bars)
        run_bar(*bar);
    ImGui::Render();
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());

    glPopClientAttrib();
    glPopAttrib();
    return 1;
}

void TwEventMouseButtonGLFW(int button, int action)
{
    if (state.started)
        panel::record_mouse_button(button, action);
}

void TwMouseMotion(int x, int y)
{
    if (state.started)
        panel::record_mouse_position(x, y);
}

void TwMouseWheel(int position)
{
    if (state.started)
        panel::record_wheel(position);
}

void TwEventKeyGLFW(int key, int action)
{
    if (state.started)
        panel::record_key(key, action);
}

void TwEventCharGLFW(int character, int action)
{
    if (state.started)
        panel::record_character(character, action);
}
