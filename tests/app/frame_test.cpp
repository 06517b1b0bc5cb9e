#include "app/frame.h"

#include <gtest/gtest.h>

#include <memory>

using Nsupershape::Tsupershape;

namespace {

Tparams start_values()
{
    Tparams params;
    set_start_values(params);
    return params;
}

// Calls the clock once per frame at a steady rate and returns the FPS value.
float run_clock(Frame_clock& clock, float& fps, float start, float frame_seconds, int frames)
{
    for (int i = 1; i <= frames; ++i)
        advance_frame_clock(clock, start + i * frame_seconds, fps);
    return fps;
}

} // namespace

TEST(FrameClock, FirstCallReturnsTheTimeSinceTheClockStarted)
{
    Frame_clock clock;
    float fps = 60.0f;
    EXPECT_EQ(advance_frame_clock(clock, 0.25f, fps), 0.25f);
    EXPECT_EQ(advance_frame_clock(clock, 0.375f, fps), 0.125f);
    EXPECT_EQ(fps, 60.0f);
}

TEST(FrameClock, FpsKeepsItsStartValueForTheFirstSecond)
{
    Frame_clock clock;
    float fps = 60.0f;
    run_clock(clock, fps, 0.0f, 0.01f, 100);  // exactly one second: not more than one
    EXPECT_EQ(fps, 60.0f);
}

TEST(FrameClock, SteadySixtyFramesPerSecondCountsSixtyOne)
{
    Frame_clock clock;
    float fps = 60.0f;
    const float frame = 0.01666f;  // just under 1/60 s, so exact ties cannot decide
    EXPECT_EQ(run_clock(clock, fps, 0.0f, frame, 61), 61.0f);
    EXPECT_EQ(run_clock(clock, fps, 61 * frame, frame, 61), 61.0f);
}

TEST(FrameClock, FpsIsTheFrameCountNotARate)
{
    Frame_clock clock;
    float fps = 60.0f;
    run_clock(clock, fps, 0.0f, 0.5f, 3);  // an update at 1.5 s
    run_clock(clock, fps, 1.5f, 0.01f, 71);
    advance_frame_clock(clock, 2.7f, fps);  // 72 frames in 1.2 s
    EXPECT_EQ(fps, 72.0f);
}

TEST(Rotation, PanelAnglesRoundHalfToEven)
{
    Tparams params = start_values();
    Rotation_angles angles;
    params.xrot = 2.5f;
    params.yrot = 3.5f;
    params.zrot = -2.5f;
    update_rotation(angles, params, 0.1f, 50.0f);
    EXPECT_EQ(angles.x, 2);
    EXPECT_EQ(angles.y, 4);
    EXPECT_EQ(angles.z, -2);
}

TEST(Rotation, SmallIncrementsRoundAwayAndHalfOnlyMovesOddAngles)
{
    Tparams params = start_values();
    params.auto_rotate = truth_on;
    Rotation_angles angles;
    for (int frame = 0; frame < 100; ++frame)
        update_rotation(angles, params, 0.009f, 50.0f);  // 0.45 degrees a frame, above 100 frames per second
    EXPECT_EQ(angles.x, 0);

    angles = {3, 4, 5};
    update_rotation(angles, params, 0.01f, 50.0f);  // exactly 0.5 degrees
    EXPECT_EQ(angles.x, 4);
    EXPECT_EQ(angles.y, 4);
    EXPECT_EQ(angles.z, 6);
    update_rotation(angles, params, 0.01f, 50.0f);
    EXPECT_EQ(angles.x, 4);
}

TEST(Rotation, TogglingAutoRotationSnapsBackAndContinuesFromThePanel)
{
    Tparams params = start_values();
    params.xrot = 10.4f;
    params.yrot = 20.0f;
    params.zrot = 30.0f;
    Rotation_angles angles;
    params.auto_rotate = truth_on;
    update_rotation(angles, params, 0.1f, 50.0f);
    EXPECT_EQ(angles.x, 5);

    params.auto_rotate = 0;
    update_rotation(angles, params, 0.1f, 50.0f);
    EXPECT_EQ(angles.x, 10);
    EXPECT_EQ(angles.y, 20);

    params.auto_rotate = 1;  // any non-zero value is on
    update_rotation(angles, params, 0.1f, 50.0f);
    EXPECT_EQ(angles.x, 15);
    EXPECT_EQ(angles.z, 35);
}

TEST(Rotation, SpinningStaysWithinOneTurnAndKeepsMoving)
{
    Tparams params = start_values();
    params.auto_rotate = truth_on;
    Rotation_angles angles{359, 359, 359};
    update_rotation(angles, params, 0.02f, 50.0f);
    EXPECT_EQ(angles.x, 0);
    for (int frame = 0; frame < 1000000; ++frame)
        update_rotation(angles, params, 0.02f, 50.0f);
    EXPECT_EQ(angles.x, 1000000 % 360);
}

TEST(Requests, TwoResetPressesRebuildOnceWithTheCurrentGrid)
{
    Tparams params = start_values();
    params.auto_edit = 0;
    params.slices = 5;
    params.bands = 6;
    params.scale = 2.0f;
    auto shape = std::make_unique<Tsupershape>();
    params.do_reset = request_pending;
    params.do_reset = request_pending;
    carry_out_requests(params, shape);
    EXPECT_EQ(params.do_reset, request_idle);
    EXPECT_EQ(shape->vertex_count, 5 * 7);
    EXPECT_EQ(shape->colors[1].g, 1.0f) << "Reset paints the shape white";

    const Tsupershape reference(1.0f, 5, 6, 1, 1, 4, 0.3f, 1, 1);
    EXPECT_EQ(shape->vertices[3].y, reference.vertices[3].y * 2.0f);

    const Tsupershape* rebuilt = shape.get();
    carry_out_requests(params, shape);
    EXPECT_EQ(shape.get(), rebuilt) << "a request is acted on once";
    EXPECT_EQ(params.rot_str, "rotations: ");
    EXPECT_EQ(params.slices, 5);
}

TEST(Requests, AutoEditNeverAppliesANewGrid)
{
    Tparams params = start_values();
    params.slices = 20;
    params.m = 6.0f;
    auto shape = std::make_unique<Tsupershape>();
    carry_out_requests(params, shape);
    EXPECT_EQ(shape->vertex_count, 72);
    EXPECT_EQ(shape->m, 6.0f);
}

TEST(Requests, OnlyMinusOneIsARequest)
{
    Tparams params = start_values();
    params.auto_edit = 0;
    params.do_swap_xy = 1;
    auto shape = std::make_unique<Tsupershape>();
    const float x = shape->vertices[2].x;
    carry_out_requests(params, shape);
    EXPECT_EQ(params.do_swap_xy, 1);
    EXPECT_EQ(shape->vertices[2].x, x);
    EXPECT_EQ(params.rot_str, "rotations: ");
}

TEST(Requests, SwapsRunInOrderAndClearAutoEdit)
{
    Tparams params = start_values();
    auto shape = std::make_unique<Tsupershape>();
    const Nsupershape::Tvector3 before = shape->vertices[10];
    params.do_swap_xy = params.do_swap_xz = params.do_swap_yz = request_pending;
    carry_out_requests(params, shape);

    // (x, y, z) -> xy (y, x, z) -> xz (z, x, y) -> yz (z, y, x)
    EXPECT_EQ(shape->vertices[10].x, before.z);
    EXPECT_EQ(shape->vertices[10].y, before.y);
    EXPECT_EQ(shape->vertices[10].z, before.x);
    EXPECT_EQ(params.rot_str, "rotations:  xy xz yz");
    EXPECT_EQ(params.auto_edit, 0);
    EXPECT_EQ(params.do_swap_xy | params.do_swap_xz | params.do_swap_yz, 0);
}

TEST(Requests, SwapOutlivesItsFrameUntilAutoEditIsBackOn)
{
    Tparams params = start_values();
    auto shape = std::make_unique<Tsupershape>();
    const Nsupershape::Tvector3 before = shape->vertices[10];
    params.do_swap_xy = request_pending;
    carry_out_requests(params, shape);
    EXPECT_EQ(params.rot_str, "rotations:  xy");
    carry_out_requests(params, shape);
    EXPECT_EQ(shape->vertices[10].x, before.y) << "the swapped mesh stays while auto edit is off";

    params.auto_edit = truth_on;
    carry_out_requests(params, shape);
    EXPECT_EQ(shape->vertices[10].x, before.x) << "re-evaluation drops the swap";
    EXPECT_EQ(params.rot_str, "rotations:  xy");
}
