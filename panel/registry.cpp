// The panel library's bars and entries: what is added, checked and kept,
// for the widgets to show.
#include "panel/registry.h"

#include <algorithm>
#include <utility>

using panel::Entry;

namespace {

struct Registry {
    bool open = false;
    std::vector<std::unique_ptr<TwBar>> bars;
    std::string last_error;
    bool failed = false;
    std::optional<panel::View_binding> view;
};

Registry registry;

// Attributes that make sense for an entry of this kind and type.
std::string misplaced_attribute(const Entry& entry)
{
    const panel::Definition& d = entry.definition;
    const bool numeric = entry.kind == Entry::Kind::value &&
                         (entry.type == TW_TYPE_INT32 || entry.type == TW_TYPE_FLOAT);
    if (!d.keys.empty() && entry.kind != Entry::Kind::button)
        return "key";
    if (d.alpha && !(entry.kind == Entry::Kind::value && entry.type == TW_TYPE_COLOR32))
        return "alpha";
    if ((d.min || d.max || d.step) && !numeric)
        return d.min ? "min" : d.max ? "max" : "step";
    return "";
}

// The entry bound to `variable` with `type`, in any bar.
const Entry* entry_bound_to(const void* variable, ETwType type)
{
    for (const auto& bar : registry.bars)
        for (const Entry& entry : bar->entries)
            if (entry.kind == Entry::Kind::value && entry.variable == variable && entry.type == type)
                return &entry;
    return nullptr;
}

Entry new_entry(Entry::Kind kind, const std::string& name)
{
    Entry entry;
    entry.kind = kind;
    entry.name = name;
    return entry;
}

int add_entry(TwBar* bar, Entry entry, const char* definition)
{
    if (!registry.open)
        return panel::fail("the panel library is not started");
    if (!bar)
        return panel::fail("no bar given");
    if (entry.name.empty())
        return panel::fail("an entry needs a name");
    const auto same_name = [&](const Entry& other) { return other.name == entry.name; };
    if (std::any_of(bar->entries.begin(), bar->entries.end(), same_name))
        return panel::fail(entry.name + ": the bar already has an entry of that name");
    panel::Parse_result parsed = panel::parse_definition(definition);
    if (!parsed.error.empty())
        return panel::fail(entry.name + ": " + parsed.error);
    entry.definition = std::move(parsed.definition);
    const std::string misplaced = misplaced_attribute(entry);
    if (!misplaced.empty())
        return panel::fail(entry.name + ": '" + misplaced + "' does not apply to this entry");
    bar->entries.push_back(std::move(entry));
    return 1;
}

} // namespace

namespace panel {

void open_registry()
{
    registry.open = true;
}

void close_registry()
{
    registry = Registry{};
}

bool registry_open()
{
    return registry.open;
}

const std::optional<View_binding>& view_binding()
{
    return registry.view;
}

const std::vector<std::unique_ptr<TwBar>>& bars()
{
    return registry.bars;
}

int fail(const std::string& reason)
{
    registry.last_error = reason;
    registry.failed = true;
    return 0;
}

} // namespace panel

const std::vector<Entry>& panel::entries(const TwBar& bar)
{
    return bar.entries;
}

const char* TwGetLastError()
{
    return registry.failed ? registry.last_error.c_str() : nullptr;
}

TwBar* TwNewBar(const char* name)
{
    if (!registry.open) {
        panel::fail("the panel library is not started");
        return nullptr;
    }
    if (!name || !*name) {
        panel::fail("a bar needs a name");
        return nullptr;
    }
    for (const auto& bar : registry.bars) {
        if (bar->name == name) {
            panel::fail(std::string(name) + ": a bar of that name exists");
            return nullptr;
        }
    }
    auto bar = std::make_unique<TwBar>();
    bar->name = name;
    bar->index = static_cast<int>(registry.bars.size());
    registry.bars.push_back(std::move(bar));
    return registry.bars.back().get();
}

int TwSetBarStart(TwBar* bar, ETwBarCorner corner, int folded)
{
    if (!bar)
        return panel::fail("no bar to place");
    if (corner != TW_CORNER_TOP_LEFT && corner != TW_CORNER_BOTTOM_RIGHT)
        return panel::fail(bar->name + ": unknown corner " + std::to_string(static_cast<int>(corner)));
    bar->corner = corner;
    bar->folded = folded != 0;
    return 1;
}

int TwSetViewControls(const TwViewControls& controls)
{
    if (!registry.open)
        return panel::fail("the panel library is not started");
    panel::View_binding view;
    const std::pair<float*, panel::Bound_number*> numbers[] = {{controls.turn_x, &view.turn_x},
                                                               {controls.turn_y, &view.turn_y},
                                                               {controls.pan_x, &view.pan_x},
                                                               {controls.pan_y, &view.pan_y}};
    for (const auto& [value, bound] : numbers) {
        const Entry* entry = entry_bound_to(value, TW_TYPE_FLOAT);
        if (!entry)
            return panel::fail("the view's numbers must be values of the bars");
        *bound = {value, entry->definition.min, entry->definition.max};
    }
    if (!entry_bound_to(controls.spinning, TW_TYPE_BOOL32) || !controls.zoom || !(controls.view_height > 0.0f))
        return panel::fail("the view needs a switch of the bars, a zoom and a height above 0");
    view.spinning = controls.spinning;
    view.zoom = controls.zoom;
    view.view_height = controls.view_height;
    view.spin_stopped = controls.spin_stopped;
    registry.view = view;
    return 1;
}

int TwAddButton(TwBar* bar, const char* name, TwButtonCallback callback, void* client_data, const char* definition)
{
    if (!callback)
        return panel::fail(std::string(name ? name : "") + ": a button needs a callback");
    Entry entry = new_entry(Entry::Kind::button, name ? name : "");
    entry.callback = callback;
    entry.client_data = client_data;
    return add_entry(bar, std::move(entry), definition);
}

int TwAddSeparator(TwBar* bar, const char* name, const char* definition)
{
    return add_entry(bar, new_entry(Entry::Kind::separator, name ? name : ""), definition);
}

int TwAddVarRW(TwBar* bar, const char* name, ETwType type, void* variable, const char* definition)
{
    const std::string entry_name = name ? name : "";
    if (type != TW_TYPE_BOOL32 && type != TW_TYPE_INT32 && type != TW_TYPE_FLOAT && type != TW_TYPE_COLOR32)
        return panel::fail(entry_name + ": unknown type " + std::to_string(static_cast<int>(type)));
    if (!variable)
        return panel::fail(entry_name + ": no variable to edit");
    Entry entry = new_entry(Entry::Kind::value, entry_name);
    entry.type = type;
    entry.variable = variable;
    return add_entry(bar, std::move(entry), definition);
}

int TwAddText(TwBar* bar, const char* name, const std::string* text, const char* definition)
{
    Entry entry = new_entry(Entry::Kind::text, name ? name : "");
    if (!text)
        return panel::fail(entry.name + ": no text to show");
    entry.text = text;
    return add_entry(bar, std::move(entry), definition);
}

int TwAddChoice(TwBar* bar, const char* name, const std::vector<std::string>* choices, std::int32_t* chosen,
                TwButtonCallback picked, void* client_data, const char* definition)
{
    Entry entry = new_entry(Entry::Kind::choice, name ? name : "");
    if (!choices || !chosen)
        return panel::fail(entry.name + ": a list needs its choices and a place for the choice");
    entry.choices = choices;
    entry.variable = chosen;
    entry.callback = picked;
    entry.client_data = client_data;
    return add_entry(bar, std::move(entry), definition);
}
