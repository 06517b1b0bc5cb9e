// Undo and redo through the editor's own frame steps: every step's values and drawn grid come back bit for bit.
#include "app/explorebar.h"
#include "app/history.h"
#include "app/solid_view.h"
#include "params/fields.h"
#include "shape/Tsupershape.h"

#include <gtest/gtest.h>

#include <cstring>
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
        params.do_reset = request_pending;
        frame();
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

    Tparams params;
    Shown_shape shown;
    History history;
    Exploring exploring = start_exploring(7, {});
    Second_set_seen seen;
};

bool same(const Shown& one, const Shown& other)
{
    return same_step(one.step, other.step) && one.grid.size() == other.grid.size() &&
           std::memcmp(one.grid.data(), other.grid.data(), one.grid.size() * sizeof one.grid[0]) == 0;
}

} // namespace

TEST(History, EveryKindOfChangeIsOneStepAndUndoAndRedoGiveBackValuesAndGridBitForBit)
{
    Editor editor;
    Tparams& p = editor.params;
    Tparams two_sets = p;
    two_sets.sets_linked = 0, two_sets.m = 5, two_sets.m2 = 2, two_sets.n1_2 = 0.7f;
    editor.exploring.presets = {{"two", two_sets}};
    std::vector<Shown> steps{editor.now()};
    const auto change = [&](auto&& edit) {
        edit();
        editor.frame();
        steps.push_back(editor.now());
    };
    change([&] { p.m = 6; }); // auto edit re-evaluates in place
    change([&] {
        for (const float n1 : {0.5f, 0.6f, 0.7f}) { // a drag over three frames before it is let go
            p.n1 = n1;
            editor.frame(true);
        }
    });
    change([&] { p.slices = 30, p.bands = 31, p.scale = 1.5f, p.do_reset = request_pending; });
    change([&] { p.do_swap_xy = p.do_swap_yz = request_pending; }); // auto edit goes off
    change([&] { p.auto_edit = truth_on; });                        // re-evaluated, the swaps are gone
    change([&] { p.m = 5, p.auto_edit = 0; });                      // typed, not built
    editor.exploring.locks[params::field_named("m") - params::saved_fields] = truth_on;
    change([&] { editor.exploring.do_random = request_pending; });
    EXPECT_TRUE(p.m == 5 && p.n1 != 0.7f) << "a draw keeps what is kept, and only that";
    change([&] { editor.exploring.preset = 0, editor.exploring.do_preset = request_pending; });
    change([&] { p.sets_linked = truth_on; });
    ASSERT_EQ(editor.history.back_count(), steps.size() - 1) << "the drag is one step";
    EXPECT_EQ(p.m2, p.m) << "linked again";

    editor.frame();
    EXPECT_EQ(editor.history.back_count(), steps.size() - 1) << "a frame without a change is no step";
    for (std::size_t i = steps.size() - 1; i > 0; --i) {
        editor.exploring.do_undo = request_pending;
        editor.frame();
        ASSERT_TRUE(same(editor.now(), steps[i - 1])) << "undo to step " << i - 1;
    }
    editor.exploring.do_undo = request_pending;
    editor.frame();
    EXPECT_TRUE(same(editor.now(), steps[0])) << "nothing before the first step";
    for (std::size_t i = 1; i < steps.size(); ++i) {
        editor.exploring.do_redo = request_pending;
        editor.frame();
        ASSERT_TRUE(same(editor.now(), steps[i])) << "redo to step " << i;
    }

    // A new change ends what could be redone; the history keeps its depth, dropping the oldest.
    editor.exploring.do_undo = request_pending;
    editor.frame();
    p.xrot = 30;
    editor.frame();
    editor.exploring.do_redo = request_pending;
    editor.frame();
    EXPECT_EQ(p.xrot, 30.0f);
    for (int i = 0; i < 200; ++i) {
        p.tx = float(i);
        editor.frame();
    }
    EXPECT_EQ(editor.history.back_count(), History::depth);
    EXPECT_EQ(editor.history.forward_count(), 0u);

    // A grid that export cannot mesh takes no draw.
    p.slices = 1;
    editor.exploring.do_random = request_pending;
    editor.frame();
    EXPECT_EQ(editor.exploring.drawn, "seed 7, draw 1: a draw needs a grid of 2 slices and 3 bands or more");
}

// The solid view closes the grid as drawn, swaps included, and names what it cannot close.
TEST(SolidView, ClosesTheSwappedGridWithItsPoleAndSaysWhyAGridCannotBeClosed)
{
    Editor editor;
    editor.params.do_swap_xy = request_pending;
    editor.frame();
    Solid_view view;
    std::string refusal;
    const scene::Surface* surface = view.surface(editor.shown, refusal);
    ASSERT_NE(surface, nullptr) << refusal;
    const Nsupershape::Tsupershape& shape = *editor.shown.shape;
    const float pole = Nsupershape::first_pole_y(editor.shown.recipe.formula) * editor.params.scale;
    EXPECT_TRUE(surface->mesh.positions[0].x == pole && surface->mesh.positions[0].y == 0 &&
                surface->mesh.positions[0].z == 0);
    EXPECT_EQ(std::memcmp(&surface->mesh.positions[1], &shape.vertices[0], sizeof shape.vertices[0]), 0);

    editor.params.slices = 1, editor.params.do_reset = request_pending;
    editor.frame();
    EXPECT_EQ(view.surface(editor.shown, refusal), nullptr);
    EXPECT_EQ(refusal.rfind("solid view: ", 0), 0u) << refusal;
}
