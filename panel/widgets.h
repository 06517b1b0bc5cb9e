// The bars as Dear ImGui widgets, run once a frame between ImGui's NewFrame
// and Render: edits land in the bound variables, buttons call their
// callbacks. No GL.
#pragma once

#include "panel/entry.h"

#include <vector>

namespace panel {

// Runs `bar` as an ImGui window for this frame.
void run_bar(const TwBar& bar);

// Each key press presses the button it is the shortcut of, unless the last
// frame had a field being typed into. Call it after ImGui::NewFrame, which
// tells that.
void press_shortcuts(const std::vector<int>& keys);

} // namespace panel
