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

} // namespace

TwBar* start_panel(Tparams& params, Exploring& exploring)
{
    if (!TwInit(TW_OPENGL, nullptr)) {
        const char* reason = TwGetLastError();
        runtime::console_line((std::string("AntTweakBar initialization failed: ") + (reason ? reason : "")).c_str());
        screen::terminate();
        runtime::fatal_error(runtime::illegal_function_call, {"supershape"});
    }
    TwBar* bar = TwNewBar("Supershape");
    init_shapebar(bar, params);
    TwBar* profile = TwNewBar("Profile");
    init_profilebar(profile, params);
    TwSetBarStart(profile, TW_CORNER_BOTTOM_RIGHT, params.sets_linked != 0);
    TwBar* explore = TwNewBar("Explore");
    init_explorebar(explore, exploring);
    TwSetBarStart(explore, TW_CORNER_BOTTOM_RIGHT, 1);
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
}

void init_shapebar(TwBar* bar, Tparams& params)
{
    void* p = &params;
    TwAddButton(bar, "Reset", resetcb, p, " label='Reset Behavior' key = SPACE ");
    TwAddButton(bar, "Save", savecb, p, " label='Save to file' ");
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
    TwAddVarRW(bar, "a", TW_TYPE_FLOAT, &params.a, " label='a' min=-999 max=999 step=0.001 help=' a param' ");
    TwAddVarRW(bar, "b", TW_TYPE_FLOAT, &params.b, " label='b' min=-999 max=999 step=0.001 help=' b param' ");
    TwAddVarRW(bar, "m", TW_TYPE_FLOAT, &params.m, " label='m' min=-999 max=999 step=0.001 help=' m param' ");
    TwAddVarRW(bar, "n1", TW_TYPE_FLOAT, &params.n1, " label='n1' min=-999 max=999 step=0.001 help=' n1 param' ");
    TwAddVarRW(bar, "n2", TW_TYPE_FLOAT, &params.n2, " label='n2' min=-999 max=999 step=0.001 help=' n2 param' ");
    TwAddVarRW(bar, "n3", TW_TYPE_FLOAT, &params.n3, " label='n3' min=-999 max=999 step=0.001 help=' n3 param' ");
    TwAddVarRW(bar, "radius", TW_TYPE_FLOAT, &params.radius,
               " label='Radius' min=-999 max=999 step=0.001 help=' radius param' ");
    TwAddVarRW(bar, "slices", TW_TYPE_INT32, &params.slices,
               " label='slices' min=1 max=999 step=1 help=' slices param' ");
    TwAddVarRW(bar, "bands", TW_TYPE_INT32, &params.bands, " label='bands' min=1 max=999 step=1 help=' bands param' ");
    TwAddVarRW(bar, "scale", TW_TYPE_FLOAT, &params.scale,
               " label='Scale' min=0.01 max=99 step=0.001 help=' scale factor' ");
    TwAddVarRW(bar, "xrot", TW_TYPE_FLOAT, &params.xrot,
               " label='Xrot' min=-3600 max=3600 step=1 help=' x axis rotation' ");
    TwAddVarRW(bar, "yrot", TW_TYPE_FLOAT, &params.yrot,
               " label='Yrot' min=-3600 max=3600 step=1 help=' y axis rotation' ");
    TwAddVarRW(bar, "zrot", TW_TYPE_FLOAT, &params.zrot,
               " label='Zrot' min=-3600 max=3600 step=1 help=' z axis rotation' ");
    TwAddVarRW(bar, "tx", TW_TYPE_FLOAT, &params.tx,
               " label='Xtranslate' min=-100 max=100 step=0.05 help=' x translation' ");
    TwAddVarRW(bar, "ty", TW_TYPE_FLOAT, &params.ty,
               " label='Ytranslate' min=-100 max=100 step=0.05 help=' y translation' ");
    TwAddVarRW(bar, "tz", TW_TYPE_FLOAT, &params.tz,
               " label='Ztranslate' min=-100 max=100 step=0.05 help=' z translation' ");
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
