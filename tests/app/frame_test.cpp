// The frame's decisions: the clock, the rotation angles, the linked sets, the requests and the export line's rows.
#include "app/frame.h"
#include "app/scene.h"
#include "tests/support/reference_mesh.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using test_support::first_difference;

namespace {

// Calls the clock once per frame at a steady rate and returns the FPS value.
float run_clock(Frame_clock& clock, float& fps, float start, float frame_seconds, int frames)
{
    for (int i = 1; i <= frames; ++i)
        advance_frame_clock(clock, start + i * frame_seconds, fps);
    return fps;
}

std::tuple<int, int, int> rotate(Rotation_angles angles, const Tparams& params, float frame_time)
{
    update_rotation(angles, params, frame_time, 50.0f);
    return {angles.x, angles.y, angles.z};
}

} // namespace

TEST(FrameClock, CountsFramesOnceASecondAsTheFrameRate)
{
    Frame_clock clock, steady, slow;
    float fps = 60.0f;
    EXPECT_EQ(advance_frame_clock(clock, 0.25f, fps), 0.25f) << "the first call counts from the clock's start";
    EXPECT_EQ(run_clock(clock, fps, 0.25f, 0.0075f, 99), 60.0f); // just under one second
    const float frame = 0.01666f;                                // just under 1/60 s, so exact ties cannot decide
    EXPECT_EQ(run_clock(steady, fps, 0.0f, frame, 61), 61.0f);
    EXPECT_EQ(run_clock(steady, fps, 61 * frame, frame, 61), 61.0f);
    run_clock(slow, fps, 0.0f, 0.5f, 3); // an update at 1.5 s
    run_clock(slow, fps, 1.5f, 0.01f, 71);
    EXPECT_EQ(run_clock(slow, fps, 2.7f, 0.0f, 1), 72.0f) << "72 frames in 1.2 s, not a rate";
}

TEST(FrameClock, TextRoundsDownInPlainDigits)
{
    EXPECT_EQ(fps_text(60.9f), "FPS:60");
    EXPECT_EQ(fps_text(12345678.0f), "FPS:12345678");
}

TEST(Rotation, ThePanelsAnglesInWholeDegreesHalfToEven)
{
    Tparams params;
    params.xrot = 2.5f, params.yrot = 3.5f, params.zrot = -2.5f;
    EXPECT_EQ(rotate({5, 0, 0}, params, 0.1f), std::tuple(2, 4, -2));
}

TEST(Rotation, SpinningStaysWithinOneTurnAndGoesOnFromThePanelsAngles)
{
    Tparams params;
    params.xrot = 2.5f;
    params.auto_rotate = truth_on;
    Rotation_angles spinning;
    for (int frame = 0; frame < 100; ++frame) // 0.45 degrees a frame, above 100 frames per second
        update_rotation(spinning, params, 0.009f, 50.0f);
    EXPECT_EQ(spinning.x, 0);
    EXPECT_EQ(rotate({3, 4, 359}, params, 0.01f), std::tuple(4, 4, 0)) << "exactly 0.5 degrees";
    params.auto_rotate = 1; // any non-zero
    EXPECT_EQ(rotate({2, 0, 0}, params, 0.1f), std::tuple(7, 5, 5));
}

TEST(Requests, ResetBuildsTheGridShapetoolBuildsPaintedWhite)
{
    Tparams params;
    set_start_values(params);
    params.slices = 5, params.bands = 6, params.scale = 2.0f, params.m = 6.0f, params.do_reset = request_pending;
    Shown_shape shown;
    carry_out_requests(params, shown);
    EXPECT_EQ(params.do_reset, request_idle);
    EXPECT_EQ(shown.shape->colors[34].g, 1.0f) << "to the last vertex";
    std::vector<Nsupershape::Tvector3> positions(35);
    std::vector<Nsupershape::Ttriangle> triangles(70);
    Nsupershape::build_as_reset(params, positions.data(), triangles.data());
    EXPECT_EQ(first_difference(positions.data(), shown.shape->vertices.get(), 35), -1);
    EXPECT_EQ(first_difference(triangles.data(), shown.shape->triangles.get(), 70), -1);
}

TEST(Requests, SwapsRunInOrderOnlyOnMinusOneAndEndAutoEdit)
{
    Tparams params;
    set_start_values(params);
    Shown_shape shown;
    const Nsupershape::Tvector3 before = shown.shape->vertices[10];
    params.do_swap_xy = 1;
    carry_out_requests(params, shown);
    EXPECT_EQ(params.do_swap_xy, 1) << "only -1 is a request";

    params.do_swap_xy = params.do_swap_xz = params.do_swap_yz = request_pending;
    carry_out_requests(params, shown);
    // (x, y, z) -> xy (y, x, z) -> xz (z, x, y) -> yz (z, y, x)
    const Nsupershape::Tvector3& after = shown.shape->vertices[10];
    EXPECT_EQ(std::tuple(after.x, after.y, after.z), std::tuple(before.z, before.y, before.x));
    EXPECT_EQ(params.rot_str, "rotations:  xy xz yz");
    EXPECT_EQ(std::tuple(params.auto_edit, params.do_swap_xy, params.do_swap_xz, params.do_swap_yz),
              std::tuple(0, 0, 0, 0));
    EXPECT_EQ(shown.recipe.swaps, "012");

    params.auto_edit = truth_on;
    carry_out_requests(params, shown);
    EXPECT_EQ(shown.shape->vertices[10].x, before.x) << "re-evaluation drops the swaps";
    EXPECT_EQ(shown.recipe.swaps, "");
}

TEST(LinkedSets, TheSecondFollowsTheFirstUntilItIsEdited)
{
    Tparams params;
    set_start_values(params);
    Second_set_seen seen;
    follow_linked_sets(params, seen);
    params.m = 6.0f;
    follow_linked_sets(params, seen);
    EXPECT_EQ(std::tuple(params.sets_linked, params.m2), std::tuple(truth_on, 6.0f));
    params.n1_2 = 2.0f;
    follow_linked_sets(params, seen);
    params.m = 3.0f;
    follow_linked_sets(params, seen);
    EXPECT_EQ(std::tuple(params.sets_linked, params.n1_2, params.m2), std::tuple(0, 2.0f, 6.0f));

    params.sets_linked = truth_on;
    follow_linked_sets(params, seen);
    EXPECT_EQ(std::tuple(params.m2, params.n1_2), std::tuple(3.0f, 0.3f)) << "linked again, the second is the first";
}

// A file holds what the window shows only while the grid drawn is the values' own; swaps that come back count as none,
// and two different ones do not.
TEST(Requests, TheGridDrawnIsTheValuesOwnUntilAnEditNeedsResetOrTheAxesStaySwapped)
{
    Tparams params;
    set_start_values(params);
    Shown_shape shown;
    params.do_reset = request_pending;
    carry_out_requests(params, shown);
    const std::tuple<float, std::int32_t, std::int32_t, const char*, Grid_match> cases[] = {
        // n1 added, slices added, Auto Edit, swaps, the match
        {0, 0, 0, "", Grid_match::same},         {0.5f, 0, 0, "", Grid_match::needs_reset},
        {0.5f, 0, 1, "", Grid_match::following}, {0, 1, 1, "", Grid_match::needs_reset},
        {0, 0, 0, "0", Grid_match::swapped},     {0, 0, 0, "00", Grid_match::same},
        {0, 0, 0, "01", Grid_match::swapped},    {0, 0, 0, "0102", Grid_match::same}};
    for (const auto& [n1, slices, auto_edit, swaps, want] : cases) {
        Tparams edited = params;
        edited.n1 += n1, edited.slices += slices, edited.auto_edit = auto_edit, shown.recipe.swaps = swaps;
        EXPECT_EQ(match_grid(edited, shown), want) << n1 << " " << slices << " " << auto_edit << " " << swaps;
    }
}

// The line about an export keeps left of the bars beside its rows: under the history while its rows fit there, else
// just above it; broken after a clause, a word or a path's '/'; one row in a large window.
TEST(StatusLine, RowsKeepLeftOfTheBarsUnderTheHistoryOrJustAboveIt)
{
    const std::string exported =
        "exported shapes/shape_12-08-2026_07_46_41.stl: 48 x 50 x 12 mm, 18,240 triangles, beside its .bas";
    const std::string refused = "nothing written: press Reset first";
    // The bars as the editor draws them: the main bar; Export open, Explore and Profile folded; all three folded.
    const TwBox main_bar{16, 16, 236, 336};
    const std::vector<TwBox> export_open{main_bar, {404, 337, 624, 464}, {214, 445, 301, 464}, {309, 445, 396, 464}};
    const std::vector<TwBox> folded{main_bar, {537, 445, 624, 464}, {442, 445, 529, 464}, {354, 445, 434, 464}};
    const std::vector<TwBox> large{{16, 16, 236, 741}, {1044, 748, 1264, 944}, {861, 925, 941, 944}};
    const std::tuple<int, int, std::vector<TwBox>, std::string, bool, std::string> cases[] = {
        // x|y row|y row: 38 characters left of Export; under the history 19 left of its folded titles, 33 of all three
        {640, 480, export_open, exported, false,
         "20|356 exported |372 shapes/shape_12-08-2026_07_46_41.stl: |388 48 x 50 x 12 mm, 18,240 triangles, "
         "|404 beside its .bas"},
        {640, 480, export_open, refused, false, "20|440 " + refused},
        {640, 480, export_open, refused, true, "20|460 nothing written: |476 press Reset first"},
        {640, 480, folded, exported, false,
         "20|388 exported shapes/shape_12-08-2026_07_46_41.stl: "
         "|404 48 x 50 x 12 mm, 18,240 triangles, beside its .bas"},
        {1280, 960, large, exported, false, "40|880 " + exported},
        // Too long for either place: just above the history, which holds more of it than under it.
        {640, 480, export_open, exported + "; stands on 0.05 mm^2; --base 2 gives 21 mm^2", false,
         "20|356 exported "
         "|372 shapes/shape_12-08-2026_07_46_41.stl: |388 48 x 50 x 12 mm, 18,240 triangles, |404 beside its .bas; "
         "stands on 0.05 mm^..."}};
    for (const auto& [width, height, bars, line, below_note, want] : cases) {
        const Status_layout layout = lay_out_status(line, width, height, bars, below_note);
        std::string got = std::to_string(layout.x);
        for (const auto& [y, row] : layout.rows)
            got += "|" + std::to_string(y) + " " + row;
        EXPECT_EQ(got, want) << width << " x " << height;
    }
}
