// The frame's decisions: the clock, the rotation angles, the linked sets and the requests.
#include "app/frame.h"

#include <gtest/gtest.h>

#include <cstring>

using Nsupershape::Tsupershape;

namespace {

// Calls the clock once per frame at a steady rate and returns the FPS value.
float run_clock(Frame_clock& clock, float& fps, float start, float frame_seconds, int frames)
{
    for (int i = 1; i <= frames; ++i)
        advance_frame_clock(clock, start + i * frame_seconds, fps);
    return fps;
}

Rotation_angles rotate(Rotation_angles angles, const Tparams& params, float frame_time)
{
    update_rotation(angles, params, frame_time, 50.0f);
    return angles;
}

} // namespace

TEST(FrameClock, FirstSecondSteadyRateAndAFrameCountNotARate)
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
    EXPECT_EQ(run_clock(slow, fps, 2.7f, 0.0f, 1), 72.0f) << "72 frames in 1.2 s";
    EXPECT_EQ(fps_text(60.9f), "FPS:60");
    EXPECT_EQ(fps_text(12345678.0f), "FPS:12345678");
}

TEST(Rotation, WholeDegreesHalfToEvenFromThePanelOrSpinningWithinOneTurn)
{
    Tparams params;
    params.xrot = 2.5f, params.yrot = 3.5f, params.zrot = -2.5f;
    const Rotation_angles panel = rotate({}, params, 0.1f);
    EXPECT_TRUE(panel.x == 2 && panel.y == 4 && panel.z == -2);

    params.auto_rotate = truth_on;
    Rotation_angles spinning;
    for (int frame = 0; frame < 100; ++frame)
        spinning = rotate(spinning, params, 0.009f); // 0.45 degrees a frame, above 100 frames per second
    EXPECT_EQ(spinning.x, 0);
    const Rotation_angles half = rotate({3, 4, 359}, params, 0.01f); // exactly 0.5 degrees
    EXPECT_TRUE(half.x == 4 && half.y == 4 && half.z == 0);

    // Off snaps back to the panel's angles; on again (any non-zero) goes on from them.
    params.auto_rotate = 0;
    const Rotation_angles snapped = rotate({5, 0, 0}, params, 0.1f);
    EXPECT_EQ(snapped.x, 2);
    params.auto_rotate = 1;
    EXPECT_EQ(rotate(snapped, params, 0.1f).x, 7);
}

TEST(Requests, ResetRebuildsOnceWithTheCurrentGridWhichAutoEditNeverAppliesAndSwapsRunInOrderOnlyOnMinusOne)
{
    Tparams params;
    set_start_values(params);
    params.auto_edit = 0, params.slices = 5, params.bands = 6, params.scale = 2.0f, params.m = 6.0f;
    Shown_shape shown;
    params.do_reset = request_pending;
    carry_out_requests(params, shown);
    EXPECT_TRUE(params.do_reset == request_idle && shown.shape->colors[1].g == 1.0f) << "Reset paints the shape white";
    // Bit for bit the grid and list that shapetool builds for the same values.
    std::vector<Nsupershape::Tvector3> positions(35);
    std::vector<Nsupershape::Ttriangle> triangles(70);
    Nsupershape::build_as_reset(params, positions.data(), triangles.data());
    EXPECT_EQ(0, std::memcmp(positions.data(), shown.shape->vertices.get(), 35 * sizeof positions[0]));
    EXPECT_EQ(0, std::memcmp(triangles.data(), shown.shape->triangles.get(), 70 * sizeof triangles[0]));

    const Tsupershape* rebuilt = shown.shape.get();
    params.auto_edit = truth_on, params.slices = 20, params.m = 4.0f;
    carry_out_requests(params, shown);
    EXPECT_EQ(shown.shape.get(), rebuilt) << "a request is acted on once";
    EXPECT_TRUE(shown.shape->vertex_count == 5 * 7 && shown.shape->m == 4.0f);

    // Swaps run in order, only on -1, and clear auto edit.
    const Nsupershape::Tvector3 before = shown.shape->vertices[10];
    params.do_swap_xy = 1;
    carry_out_requests(params, shown);
    EXPECT_TRUE(params.do_swap_xy == 1 && params.rot_str == "rotations: ") << "only -1 is a request";

    params.do_swap_xy = params.do_swap_xz = params.do_swap_yz = request_pending;
    carry_out_requests(params, shown);
    // (x, y, z) -> xy (y, x, z) -> xz (z, x, y) -> yz (z, y, x)
    EXPECT_TRUE(shown.shape->vertices[10].x == before.z && shown.shape->vertices[10].z == before.x);
    EXPECT_EQ(params.rot_str, "rotations:  xy xz yz");
    EXPECT_EQ(params.auto_edit | params.do_swap_xy | params.do_swap_xz | params.do_swap_yz, 0);

    carry_out_requests(params, shown);
    EXPECT_EQ(shown.shape->vertices[10].x, before.z) << "the swapped mesh stays while auto edit is off";
    params.auto_edit = truth_on;
    carry_out_requests(params, shown);
    EXPECT_EQ(shown.shape->vertices[10].x, before.x) << "re-evaluation drops the swaps";
    EXPECT_EQ(params.rot_str, "rotations:  xy xz yz");
}

// Linked, the second set shows the first; an edit of it separates them, and Reset builds both as shapetool does.
TEST(Requests, LinkedSetsFollowTheFirstUntilTheSecondIsEditedAndResetBuildsBoth)
{
    Tparams params;
    set_start_values(params);
    Second_set_seen seen;
    follow_linked_sets(params, seen);
    params.m = 6.0f;
    follow_linked_sets(params, seen);
    EXPECT_TRUE(params.sets_linked != 0 && params.m2 == 6.0f);
    params.n1_2 = 2.0f;
    follow_linked_sets(params, seen);
    params.m = 3.0f;
    follow_linked_sets(params, seen);
    EXPECT_TRUE(params.sets_linked == 0 && params.n1_2 == 2.0f && params.m2 == 6.0f);

    params.auto_edit = 0, params.slices = 5, params.bands = 6, params.do_reset = request_pending;
    Shown_shape shown;
    carry_out_requests(params, shown);
    std::vector<Nsupershape::Tvector3> positions(35);
    Nsupershape::build_as_reset(params, positions.data(), nullptr);
    EXPECT_EQ(0, std::memcmp(positions.data(), shown.shape->vertices.get(), 35 * sizeof positions[0]));
    EXPECT_TRUE(shown.shape->n1_2 == 2.0f && shown.shape->n1 == params.n1);

    params.sets_linked = truth_on;
    follow_linked_sets(params, seen);
    EXPECT_TRUE(params.m2 == 3.0f && params.n1_2 == params.n1) << "linked again, the second set is the first";
}
