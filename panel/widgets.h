// The bars as Dear ImGui widgets, run once a frame: edits land in the bound
// variables, buttons call their callbacks. No GL: a back end draws what a
// frame leaves in ImGui's draw data.
#pragma once

#include "panel/entry.h"

#include <string>

namespace panel {

// A Dear ImGui context for the bars, writing nothing to the user's folder,
// taking recorded input, with the registry open; and its end, which drops
// every bar.
void start_imgui();
void stop_imgui();

// One frame: the recorded input this frame takes handed to ImGui before it
// starts, the shortcuts pressed, every bar run, and the draw data made.
void run_frame();

// The end of `text` that fits in `width` pixels of the current font, after
// "..." when cut, so that names differing at the end (as saved shapes' times
// do) are told apart; never cut within a character.
std::string end_within(const std::string& text, float width);

// Whether an item of the last frame is still held: a value being dragged or
// typed into, a button pressed; or the view is being dragged.
bool editing();

// Whether the last frame took an Esc press that no field being typed into
// and no open list or colour picker used.
bool escape_unused();

} // namespace panel
