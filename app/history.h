// Undo and redo in the editor: each step keeps the panel's values and the
// recipe of the grid that was drawn, never a mesh, so that going back builds
// again exactly what was shown.
#pragma once

#include "app/frame.h"
#include "params/Tparams.h"

#include <cstddef>
#include <deque>
#include <optional>

// What the editor shows at one moment: the values (requests idle) and how
// the drawn grid was made.
struct Step {
    Tparams values;
    Grid_recipe grid;
};

// Whether two steps hold the same bits: a value typed again over itself is
// no change, and neither is Reset on a grid already built from the values.
bool same_step(const Step& one, const Step& other);

// The step for what the editor shows now.
Step step_of(const Tparams& params, const Shown_shape& shown);

class History {
public:
    // Steps kept to go back to; older ones are forgotten.
    static constexpr std::size_t depth = 128;

    explicit History(const Step& shown) : settled_(shown) {}

    // Called once a frame with what is shown. A change becomes a step only
    // once no edit is under way, so that a drag or a typed value is one step
    // however many frames it took; a new step ends what could be redone.
    void watch(const Step& shown, bool editing);

    // The step to show instead of `shown`, which is kept first if it is a
    // change not yet watched; none when there is nothing to go back or
    // forward to.
    std::optional<Step> undo(const Step& shown);
    std::optional<Step> redo(const Step& shown);

    std::size_t back_count() const { return back_.size(); }
    std::size_t forward_count() const { return forward_.size(); }

private:
    std::optional<Step> move(const Step& shown, std::deque<Step>& from, std::deque<Step>& to);

    Step settled_;
    std::deque<Step> back_, forward_;
};
