// The bar "Explore": random draws with locks, undo and redo, the presets and
// the solid view; and what its requests do to the shape.
#pragma once

#include "app/frame.h"
#include "app/history.h"
#include "explore/presets.h"
#include "params/fields.h"

#include <cstdint>
#include <string>
#include <vector>

struct TwBar;

struct Exploring {
    std::uint64_t seed = 0;
    // The last draw of the seed, 0 before the first.
    std::uint64_t draw = 0;
    // "seed S, draw K" as shapetool random names it, or the draw refused.
    std::string drawn;
    // A switch per saved field, by its place; the lockable ones are shown.
    std::int32_t locks[params::saved_field_count] = {};
    // The lit surface instead of the wire strip.
    std::int32_t solid = 0;
    // Random draws may be rings and twisted balls.
    std::int32_t rings_and_twists = 0;
    std::vector<explore::Preset> presets;
    // Their names, as the list shows them.
    std::vector<std::string> names;
    // The preset last chosen, shown in its list until the shape is another.
    std::int32_t preset = -1;
    // Requests, as the main bar's: -1 asks, the frame loop acts and writes 0.
    // Undo and redo count down once a press, so that presses made during a
    // slow frame step that many steps in one go; a draw is one however often
    // asked.
    std::int32_t do_random = 0, do_undo = 0, do_redo = 0, do_preset = 0;
};

// Exploring from `seed`, with `presets` to choose from.
Exploring start_exploring(std::uint64_t seed, std::vector<explore::Preset> presets);

// `presets` to choose from instead, the one shown kept by its name.
void offer_presets(Exploring& exploring, std::vector<explore::Preset> presets);

// Fills `bar` with the buttons, the draw's line, the locks, the presets and
// the solid view's switch, bound to `exploring`.
void init_explorebar(TwBar* bar, Exploring& exploring);

// Undo, redo, a preset and a random draw, as requested: each replaces the
// values, asking Reset where a new grid must be built, or the shape itself
// for undo and redo; a new second set is not an edit of the linked one. The
// list shows a preset only while it was the last of them.
void carry_out_exploring(Exploring& exploring, Tparams& params, Shown_shape& shown, History& history,
                         Second_set_seen& seen);
