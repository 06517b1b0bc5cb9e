// Any sequence of key, character, button, motion, wheel and size events, in frames of any length, through the panel
// with the editor's four bars: no assertion of Dear ImGui fires, every bound value stays in its range and a chosen
// preset is one of the list. Dear ImGui's core needs no GL, so the frames run without a window.
//
// The input is a list of events of six bytes: a kind, a 32-bit value and a byte (an action, or a second value).
#include "app/shapebar.h"
#include "panel/entry.h"
#include "panel/imgui_input.h"
#include "panel/widgets.h"
#include "params/Tparams.h"
#include "tests/fuzz/fuzz_check.h"

#include <imgui.h>

#include <cstdint>
#include <cstring>

namespace {

void no_save(void*) {}

// Every number within the range its definition gives.
void check_ranges(const TwBar& bar)
{
    for (const panel::Entry& entry : panel::entries(bar))
        if (const panel::Definition& d = entry.definition; d.min && d.max) {
            const double value = entry.type == TW_TYPE_INT32 ? *static_cast<std::int32_t*>(entry.variable)
                                                             : *static_cast<float*>(entry.variable);
            FUZZ_REQUIRE(value >= *d.min && value <= *d.max);
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Tparams params;
    set_start_values(params);
    panel::start_imgui();
    // What a back end would do first: the font's pixels made.
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    ImGui::GetIO().Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    Exporting exporting = start_exporting(params);
    TwBar* bar = TwNewBar("Supershape");
    init_shapebar(bar, params, exporting.saving);
    TwBar* profile = TwNewBar("Profile");
    init_profilebar(profile, params);
    TwSetBarStart(profile, TW_CORNER_BOTTOM_RIGHT, 0);
    Exploring exploring = start_exploring(1, {{"one", params}, {"two", params}});
    TwBar* explore = TwNewBar("Explore");
    init_explorebar(explore, exploring);
    TwSetBarStart(explore, TW_CORNER_BOTTOM_RIGHT, 0);
    TwBar* export_bar = TwNewBar("Export");
    init_exportbar(export_bar, exporting);
    TwSetBarStart(export_bar, TW_CORNER_BOTTOM_RIGHT, 1);
    // Save writes files; everything else only leaves requests.
    for (panel::Entry& entry : bar->entries)
        if (entry.name == "Save")
            entry.callback = no_save;
    TwWindowSize(640, 480);

    for (std::size_t at = 0; at + 6 <= size; at += 6) {
        std::int32_t value;
        std::memcpy(&value, data + at + 1, sizeof value);
        const int extra = data[at + 5];
        switch (data[at] % 8) {
        case 0: TwEventKeyGLFW(value, extra % 3); break;
        case 1: TwEventMouseButtonGLFW(value, extra % 3); break;
        case 2: TwMouseMotion(static_cast<std::int16_t>(value), static_cast<std::int16_t>(value >> 16)); break;
        case 3: TwMouseWheel(value); break;
        case 4: TwEventCharGLFW(value, extra % 2); break;
        case 5: TwWindowSize(static_cast<std::int16_t>(value), extra * 4); break;
        default:
            for (int frame = 0; frame <= extra % 4; ++frame) {
                panel::run_frame();
                check_ranges(*bar);
                check_ranges(*profile);
                check_ranges(*export_bar);
                FUZZ_REQUIRE(exploring.preset >= -1 && exploring.preset < 2);
            }
        }
    }
    panel::run_frame();
    check_ranges(*bar);
    panel::stop_imgui();
    return 0;
}
