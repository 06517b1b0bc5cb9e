#include "app/shapebar.h"

#include "app/save.h"
#include "panel/tweak_bar.h"
#include "params/fields.h"
#include "runtime/console.h"
#include "runtime/fatal_error.h"
#include "screen/glfw_layer.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace {

Tparams& record(void* client_data, const char* routine)
{
    return runtime::checked_deref(static_cast<Tparams*>(client_data), {"supershape", routine});
}

// The bar's numbers, in order: a saved field or a panel value by name, whose
// row gives the range.
struct Number_entry {
    const char* name;
    const char* label;
    const char* step;
    const char* help;
};

constexpr Number_entry number_entries[] = {
    {"a", "a", "0.001", "a param"},
    {"b", "b", "0.001", "b param"},
    {"m", "m", "0.001", "m param"},
    {"n1", "n1", "0.001", "n1 param"},
    {"n2", "n2", "0.001", "n2 param"},
    {"n3", "n3", "0.001", "n3 param"},
    {"radius", "Radius", "0.001", "radius param"},
    {"slices", "slices", "1", "slices param"},
    {"bands", "bands", "1", "bands param"},
    {"scale", "Scale", "0.001", "scale factor"},
    {"xrot", "Xrot", "1", "x axis rotation"},
    {"yrot", "Yrot", "1", "y axis rotation"},
    {"zrot", "Zrot", "1", "z axis rotation"},
    {"tx", "Xtranslate", "0.05", "x translation"},
    {"ty", "Ytranslate", "0.05", "y translation"},
    {"tz", "Ztranslate", "0.05", "z translation"},
};

// The Profile bar's numbers after the second set: a ring and a twist.
constexpr Number_entry shape_entries[] = {
    {"torus", "torus", "0.01", "above 0 a ring: the distance of its tube from the axis, in tube radii"},
    {"twist", "twist", "1", "degrees the top of a ball turns against its bottom; a ring takes none"},
};

// The rest of a number's definition after its label.
std::string range(double min, double max, const Number_entry& entry)
{
    return " min=" + params::shortest_text(static_cast<float>(min)) +
           " max=" + params::shortest_text(static_cast<float>(max)) + " step=" + entry.step + " help=' " + entry.help +
           "' ";
}

} // namespace

TwBar* start_panel(Tparams& params, Exploring& exploring, Exporting& exporting)
{
    if (!TwInit(TW_OPENGL, nullptr)) {
        const char* reason = TwGetLastError();
        runtime::console_line((std::string("AntTweakBar initialization failed: ") + (reason ? reason : "")).c_str());
        screen::terminate();
        runtime::fatal_error(runtime::illegal_function_call, {"supershape"});
    }
    TwBar* bar = TwNewBar("Supershape");
    init_shapebar(bar, params, exporting.saving);
    TwBar* profile = TwNewBar("Profile");
    init_profilebar(profile, params);
    TwSetBarStart(profile, TW_CORNER_BOTTOM_RIGHT, params.sets_linked != 0);
    TwBar* explore = TwNewBar("Explore");
    init_explorebar(explore, exploring);
    TwSetBarStart(explore, TW_CORNER_BOTTOM_RIGHT, 1);
    TwBar* export_bar = TwNewBar("Export");
    init_exportbar(export_bar, exporting);
    TwSetBarStart(export_bar, TW_CORNER_BOTTOM_RIGHT, 1);
    return bar;
}

void init_profilebar(TwBar* bar, Tparams& params)
{
    TwAddVarRW(bar, "Linked", TW_TYPE_BOOL32, &params.sets_linked,
               " label='same as the first set' help='One set of a, b, m, n1, n2 and n3 for both angles.' ");
    for (const params::Field& field : params::saved_fields) {
        if (field.group != params::Group::second_set)
            continue;
        const params::Field& twin =
            *std::find_if(std::begin(params::saved_fields), std::end(params::saved_fields),
                          [&](const params::Field& f) { return f.number == field.first_set_twin; });
        const std::string definition = " label='" + std::string(twin.name) + "' min=" + std::to_string(int(field.min)) +
                                       " max=" + std::to_string(int(field.max)) + " step=0.001 help=' " +
                                       field.description + "' ";
        TwAddVarRW(bar, field.name, TW_TYPE_FLOAT, &(params.*field.number), definition.c_str());
    }
    TwAddSeparator(bar, "ring", "");
    for (const Number_entry& entry : shape_entries) {
        const params::Field& field = *params::field_named(entry.name);
        const std::string definition = std::string(" label='") + entry.label + "'" + range(field.min, field.max, entry);
        TwAddVarRW(bar, entry.name, TW_TYPE_FLOAT, &(params.*field.number), definition.c_str());
    }
}

void init_shapebar(TwBar* bar, Tparams& params, Saving& saving)
{
    void* p = &params;
    TwAddButton(bar, "Reset", resetcb, p, " label='Reset Behavior' key = SPACE ");
    TwAddButton(bar, "Save", savecb, &saving, " label='Save to file' ");
    TwAddButton(bar, "Quit", quitcb, p, " label='Exit' ");
    TwAddSeparator(bar, "sep1", "");
    TwAddVarRW(bar, "Auto Edit", TW_TYPE_BOOL32, &params.auto_edit,
               " label='Auto Edit'  help='Enable to realtime Edit the shape. ' ");
    TwAddVarRW(bar, "Show Axes", TW_TYPE_BOOL32, &params.show_axes, " label='Show Axes'  help='Show Axes?. ' ");
    TwAddVarRW(bar, "Auto Rotate", TW_TYPE_BOOL32, &params.auto_rotate,
               " label='Auto Rotate'  help='Enable auto rotation. ' ");
    TwAddVarRW(bar, "Smooth Lines", TW_TYPE_BOOL32, &params.smooth_lines,
               " label='Smooth Lines'  help='Enable line smoothing. ' ");
    TwAddVarRW(bar, "Color", TW_TYPE_COLOR32, params.color,
               " label='Shape color' alpha help='Color and transparency of the shape.' ");
    TwAddSeparator(bar, "sep2", "");
    TwAddButton(bar, "Swap_xy", switch_xycb, p, " label='Swap X and Y axes'");
    TwAddButton(bar, "Swap_xz", switch_xzcb, p, " label='Swap X and Z axes'");
    TwAddButton(bar, "Swap_yz", switch_yzcb, p, " label='Swap Y and Z axes'");
    TwAddSeparator(bar, "sep3", "");
    for (const Number_entry& entry : number_entries) {
        const std::string definition = std::string(" label='") + entry.label + "'";
        if (const params::Field* field = params::field_named(entry.name)) {
            const std::string full = definition + range(field->min, field->max, entry);
            if (field->kind == params::Kind::count)
                TwAddVarRW(bar, entry.name, TW_TYPE_INT32, &(params.*field->count), full.c_str());
            else
                TwAddVarRW(bar, entry.name, TW_TYPE_FLOAT, &(params.*field->number), full.c_str());
        } else {
            const params::Panel_value& value = *params::panel_value_named(entry.name);
            const std::string full = definition + range(value.min, value.max, entry);
            TwAddVarRW(bar, entry.name, TW_TYPE_FLOAT, &(params.*value.number), full.c_str());
        }
    }
}

void resetcb(void* client_data)
{
    record(client_data, "resetcb").do_reset = request_pending;
}

void quitcb(void* client_data)
{
    record(client_data, "quitcb").do_quit = request_pending;
}

void switch_xycb(void* client_data)
{
    record(client_data, "switch_xycb").do_swap_xy = request_pending;
}

void switch_xzcb(void* client_data)
{
    record(client_data, "switch_xzcb").do_swap_xz = request_pending;
}

void switch_yzcb(void* client_data)
{
    record(client_data, "switch_yzcb").do_swap_yz = request_pending;
}
