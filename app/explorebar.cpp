#include "app/explorebar.h"

#include "explore/random.h"
#include "mesh/closed_mesh.h"
#include "panel/tweak_bar.h"
#include "runtime/fatal_error.h"

namespace {

Exploring& exploring_of(void* client_data, const char* routine)
{
    return runtime::checked_deref(static_cast<Exploring*>(client_data), {"supershape", routine});
}

void randomcb(void* client_data)
{
    exploring_of(client_data, "randomcb").do_random = request_pending;
}

void undocb(void* client_data)
{
    --exploring_of(client_data, "undocb").do_undo;
}

void redocb(void* client_data)
{
    --exploring_of(client_data, "redocb").do_redo;
}

void presetcb(void* client_data)
{
    exploring_of(client_data, "presetcb").do_preset = request_pending;
}

std::string draw_line(const Exploring& exploring)
{
    return "seed " + std::to_string(exploring.seed) +
           (exploring.draw == 0 ? std::string() : ", draw " + std::to_string(exploring.draw));
}

// The values of `step` shown, and its grid built again.
void show(const Step& step, Tparams& params, Shown_shape& shown)
{
    params = step.values;
    rebuild(shown, step.grid);
}

} // namespace

Exploring start_exploring(std::uint64_t seed, std::vector<explore::Preset> presets)
{
    Exploring exploring;
    exploring.seed = seed;
    exploring.drawn = draw_line(exploring);
    offer_presets(exploring, std::move(presets));
    return exploring;
}

void offer_presets(Exploring& exploring, std::vector<explore::Preset> presets)
{
    const std::size_t shown = std::size_t(exploring.preset);
    const std::string name = shown < exploring.names.size() ? exploring.names[shown] : std::string();
    exploring.presets = std::move(presets);
    exploring.names.clear();
    exploring.preset = -1;
    for (const explore::Preset& preset : exploring.presets) {
        if (preset.name == name && !name.empty())
            exploring.preset = std::int32_t(exploring.names.size());
        exploring.names.push_back(preset.name);
    }
}

void init_explorebar(TwBar* bar, Exploring& exploring)
{
    void* e = &exploring;
    TwAddButton(bar, "Random", randomcb, e,
                " label='Random shape' key=R help='A new shape from the seed: both sets and the colour, each unless "
                "locked below.' ");
    TwAddText(bar, "Drawn", &exploring.drawn, " label='' help='shapetool random --seed S makes the same draws.' ");
    TwAddButton(bar, "Undo", undocb, e, " label='Undo' key=CTRL+Z ");
    TwAddButton(bar, "Redo", redocb, e, " label='Redo' key=CTRL+SHIFT+Z key=CTRL+Y ");
    TwAddChoice(bar, "Preset", &exploring.names, &exploring.preset, presetcb, e,
                " label='Preset' help='The examples and the shapes saved in shapes/.' ");
    TwAddVarRW(bar, "Solid", TW_TYPE_BOOL32, &exploring.solid,
               " label='Solid view' help='The shape as the closed, lit surface it prints as.' ");
    TwAddSeparator(bar, "locks", "");
    for (int i = 0; i < params::saved_field_count; ++i) {
        const params::Field& field = params::saved_fields[i];
        explore::Locks lockable;
        if (!explore::lock_named(field.name, lockable))
            continue;
        const std::string name = std::string("keep ") + field.name;
        TwAddVarRW(bar, name.c_str(), TW_TYPE_BOOL32, &exploring.locks[i],
                   (" label='" + name + "' help='Random shapes keep " + field.description + ".' ").c_str());
    }
    TwAddVarRW(bar, "Rings", TW_TYPE_BOOL32, &exploring.rings_and_twists,
               " label='rings and twists' help='Random shapes are rings or twisted balls too, each try a ring, a twist "
               "or a plain ball alike.' ");
}

void carry_out_exploring(Exploring& exploring, Tparams& params, Shown_shape& shown, History& history,
                         Second_set_seen& seen)
{
    // Every step first, then one grid built for the last.
    std::optional<Step> stepped;
    const auto walk = [&](std::int32_t& presses, std::optional<Step> (History::*move)(const Step&)) {
        for (; presses < 0; ++presses) {
            std::optional<Step> step = (history.*move)(stepped ? *stepped : step_of(params, shown));
            if (!step)
                break;
            stepped = std::move(step);
        }
        presses = request_idle;
    };
    walk(exploring.do_undo, &History::undo);
    walk(exploring.do_redo, &History::redo);
    bool replaced = stepped.has_value();
    if (stepped)
        show(*stepped, params, shown), exploring.preset = -1;
    if (exploring.do_preset == request_pending) {
        exploring.do_preset = request_idle;
        if (exploring.preset >= 0 && std::size_t(exploring.preset) < exploring.presets.size()) {
            const Tparams& chosen = exploring.presets[std::size_t(exploring.preset)].values;
            for (const params::Field& field : params::saved_fields)
                params::copy_field(field, chosen, params);
            params.sets_linked = chosen.sets_linked;
            params.do_reset = request_pending;
            replaced = true;
        }
    }
    if (exploring.do_random == request_pending) {
        exploring.do_random = request_idle;
        explore::Locks locks;
        for (int i = 0; i < params::saved_field_count; ++i)
            locks[std::size_t(i)] = exploring.locks[i] != 0;
        Tparams drawn;
        if (params.slices < mesh::closed_min_slices || params.bands < mesh::closed_min_bands) {
            exploring.drawn = draw_line(exploring) + ": a draw needs a grid of " +
                              std::to_string(mesh::closed_min_slices) + " slices and " +
                              std::to_string(mesh::closed_min_bands) + " bands or more";
        } else {
            ++exploring.draw;
            const bool fits = explore::random_shape(exploring.seed, exploring.draw, params, locks, drawn,
                                                    exploring.rings_and_twists != 0)
                                  .ok();
            exploring.drawn = draw_line(exploring) + (fits ? "" : ": no shape fits the kept values at this grid");
            if (fits) {
                params = drawn;
                params.do_reset = request_pending;
                replaced = true;
                exploring.preset = -1;
            }
        }
    }
    // A second set that changed with the rest was not edited on its own.
    if (replaced)
        seen.known = false;
}
