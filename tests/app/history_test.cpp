// Undo and redo through the editor's own frame steps: every step's values and drawn grid come back bit for bit.
#include "app/explorebar.h"
#include "app/history.h"
#include "app/solid_view.h"
#include "params/fields.h"
#include "shape/Tsupershape.h"
#include "tests/support/reference_mesh.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Shown {
    Step step;
    std::vector<Nsupershape::Tvector3> grid;
};

// The editor's frame after the panel: the linked sets, exploring, the requests, then the history.
struct Editor {
    Editor() : history(step_of(params, shown))
    {
        set_start_values(params);
        press(params.do_reset);
        history = History(step_of(params, shown));
    }
    void frame(bool editing = false)
    {
        follow_linked_sets(params, seen);
        carry_out_exploring(exploring, params, shown, history, seen);
        carry_out_requests(params, shown);
        history.watch(step_of(params, shown), editing);
    }
    Shown now() const
    {
        const Nsupershape::Tsupershape& shape = *shown.shape;
        return {step_of(params, shown), {shape.vertices.get(), shape.vertices.get() + shape.vertex_count}};
    }
    // A button pressed, then one frame.
    Shown press(std::int32_t& request)
    {
        request = request_pending;
        frame();
        return now();
    }

    Tparams params;
    Shown_shape shown;
    History history;
    Exploring exploring = start_exploring(7, {});
    Second_set_seen seen;
    Solid_view solid;
};

// Where `one` and `other` differ, for a message; empty when they hold the same bits.
std::string difference(const Shown& one, const Shown& other)
{
    if (!same_step(one.step, other.step) || one.grid.size() != other.grid.size())
        return "the step or the grid's size";
    const long long at = test_support::first_difference(one.grid.data(), other.grid.data(), one.grid.size());
    return at < 0 ? "" : "grid vertex " + std::to_string(at);
}

} // namespace

TEST(History, EveryKindOfChangeIsOneStepAndUndoAndRedoGiveBackValuesAndGridBitForBit)
{
    Editor editor;
    Tparams& p = editor.params;
    Tparams two_sets = p;
    two_sets.sets_linked = 0, two_sets.m = 5, two_sets.m2 = 2, two_sets.n1_2 = 0.7f;
    offer_presets(editor.exploring, {{"two", two_sets}});
    std::vector<Shown> steps{editor.now()};
    const auto change = [&](auto&& edit) {
        edit();
        editor.frame();
        steps.push_back(editor.now());
    };
    change([&] {
        for (const float n1 : {0.5f, 0.6f, 0.7f}) { // auto edit re-evaluates in place, a drag over three frames
            p.n1 = n1;
            editor.frame(true);
        }
    });
    change([&] { p.slices = 30, p.bands = 31, p.scale = 1.5f, p.do_reset = request_pending; });
    change([&] { p.do_swap_xy = p.do_swap_yz = request_pending; }); // auto edit goes off
    change([&] { p.auto_edit = truth_on; });                        // re-evaluated, the swaps are gone
    change([&] { p.m = 5, p.auto_edit = 0; });                      // typed, not built
    change([&] { editor.exploring.do_random = request_pending; });
    change([&] { editor.exploring.preset = 0, editor.exploring.do_preset = request_pending; });
    offer_presets(editor.exploring, {{"one", two_sets}, {"two", two_sets}}); // read again, a file added before it
    EXPECT_EQ(editor.exploring.preset, 1) << "still shown";
    change([&] { p.sets_linked = truth_on; });
    editor.frame();
    ASSERT_EQ(editor.history.back_count(), steps.size() - 1) << "the drag is one step, a frame without a change none";

    for (std::size_t i = steps.size() - 1; i > 0; --i)
        ASSERT_EQ(difference(editor.press(editor.exploring.do_undo), steps[i - 1]), "") << "undo to step " << i - 1;
    EXPECT_EQ(editor.exploring.preset, -1) << "undone, the shape is no longer the preset";
    EXPECT_EQ(difference(editor.press(editor.exploring.do_undo), steps[0]), "") << "nothing before the first step";
    for (std::size_t i = 1; i < steps.size(); ++i)
        ASSERT_EQ(difference(editor.press(editor.exploring.do_redo), steps[i]), "") << "redo to step " << i;
    editor.exploring.do_undo = -3, editor.exploring.do_redo = -1; // pressed within one frame
    editor.frame();
    EXPECT_EQ(difference(editor.now(), steps[steps.size() - 3]), "") << "three steps back, one forward";
}

TEST(History, ANewChangeEndsWhatCouldBeRedone)
{
    Editor editor;
    editor.params.m = 6;
    editor.frame();
    editor.press(editor.exploring.do_undo);
    editor.params.xrot = 30;
    editor.frame();
    editor.press(editor.exploring.do_redo);
    EXPECT_EQ(std::tuple(editor.params.xrot, editor.params.m), std::tuple(30.0f, 4.0f));
}

TEST(History, KeepsItsDepthDroppingTheOldest)
{
    Editor editor;
    for (int i = 0; i < 200; ++i) {
        editor.params.tx = float(i);
        editor.frame();
    }
    EXPECT_EQ(editor.history.back_count(), History::depth);
    editor.press(editor.exploring.do_undo);
    EXPECT_EQ(editor.params.tx, 198.0f);
}

TEST(Exploring, ADrawKeepsWhatIsLockedAndOnlyThat)
{
    Editor editor;
    editor.params.m = 5;
    editor.exploring.locks[params::field_named("m") - params::saved_fields] = truth_on;
    editor.exploring.preset = 0;
    editor.press(editor.exploring.do_random);
    EXPECT_EQ(std::pair(editor.params.m, editor.exploring.preset), std::pair(5.0f, -1));
    EXPECT_NE(editor.params.n1, 0.3f);
}

TEST(Exploring, AGridExportCannotMeshTakesNoDraw)
{
    Editor editor;
    editor.params.slices = 1;
    editor.press(editor.exploring.do_random);
    EXPECT_EQ(editor.exploring.drawn, "seed 7: a draw needs a grid of 2 slices and 3 bands or more");
}

// The start shape, swapped x and y: its pole at -pi/2 moves from the y axis to the x axis. Worked out by hand:
// float(pi/2) passes pi/2 by 4.4e-8, the cosine term, so the radius is (1 + 4.4e-8)^(-1 / 0.3) = 1 - 1.46e-7,
// which rounds to the float two steps below 1.
TEST(SolidView, ClosesTheSwappedGridWithItsPole)
{
    Editor editor;
    editor.press(editor.params.do_swap_xy);
    std::string refusal;
    const scene::Surface* surface = editor.solid.surface(editor.shown, refusal);
    ASSERT_NE(surface, nullptr) << refusal;
    const Nsupershape::Tvector3& pole = surface->mesh.positions[0];
    EXPECT_EQ(std::tuple(pole.x, pole.y, pole.z), std::tuple(1 - 0x1p-23f, 0.0f, 0.0f));
}

TEST(SolidView, SaysWhyAGridCannotBeClosed)
{
    Editor editor;
    editor.params.slices = 1;
    editor.press(editor.params.do_reset);
    std::string refusal;
    EXPECT_EQ(editor.solid.surface(editor.shown, refusal), nullptr);
    EXPECT_EQ(refusal, "solid view: one row has no area: slices must be at least 2");
}
