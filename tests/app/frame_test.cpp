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

Rotation_angles rotate(Rotation_angles angles, const Tparams& params, float frame_time)
{
    update_rotation(angles, params, frame_time, 50.0f);
    return angles;
}

} // namespace

TEST(FrameClock, FirstSecondAndSteadyRate)
{
    Frame_clock clock;
    float fps = 60.0f;
    EXPECT_EQ(advance_frame_clock(clock, 0.25f, fps), 0.25f) << "the first call counts from the clock's start";
    run_clock(clock, fps, 0.25f, 0.0075f, 99);  // just under one second
    EXPECT_EQ(fps, 60.0f);

    Frame_clock steady;
    const float frame = 0.01666f;  // just under 1/60 s, so exact ties cannot decide
    EXPECT_EQ(run_clock(steady, fps, 0.0f, frame, 61), 61.0f);
    EXPECT_EQ(run_clock(steady, fps, 61 * frame, frame, 61), 61.0f);
}

TEST(FrameClock, FpsIsTheFrameCountNotARate)
{
    Frame_clock clock;
    float fps = 60.0f;
    run_clock(clock, fps, 0.0f, 0.5f, 3);  // an update at 1.5 s
    run_clock(clock, fps, 1.5f, 0.01f, 71);
    advance_frame_clock(clock, 2.7f, fps);  // 72 frames in 1.2 s
    EXPECT_EQ(fps, 72.0f);
    EXPECT_EQ(fps_text(60.9f), "FPS:60");
    EXPECT_EQ(fps_text(12345678.0f), "FPS:12345678");
}

TEST(Rotation, RoundingHalfToEven)
{
    Tparams params = start_values();
    params.xrot = 2.5f;
    params.yrot = 3.5f;
    params.zrot = -2.5f;
    const Rotation_angles panel = rotate({}, params, 0.1f);
    EXPECT_TRUE(panel.x == 2 && panel.y == 4 && panel.z == -2);

    params.auto_rotate = truth_on;
    Rotation_angles spinning;
    for (int frame = 0; frame < 100; ++frame)
        spinning = rotate(spinning, params, 0.009f);  // 0.45 degrees a frame, above 100 frames per second
    EXPECT_EQ(spinning.x, 0);
    const Rotation_angles half = rotate({3, 4, 5}, params, 0.01f);  // exactly 0.5 degrees
    EXPECT_TRUE(half.x == 4 && half.y == 4 && half.z == 6);
}

TEST(Rotation, TogglingAutoRotationSnapsBackAndContinuesFromThePanel)
{
    Tparams params = start_values();
    params.xrot = 10.4f;
    params.auto_rotate = truth_on;
    Rotation_angles angles = rotate({}, params, 0.1f);
    EXPECT_EQ(angles.x, 5);
    params.auto_rotate = 0;
    angles = rotate(angles, params, 0.1f);
    EXPECT_EQ(angles.x, 10);
    params.auto_rotate = 1;  // any non-zero value is on
    EXPECT_EQ(rotate(angles, params, 0.1f).x, 15);
}

TEST(Rotation, SpinningStaysWithinOneTurnAndKeepsMoving)
{
    Tparams params = start_values();
    params.auto_rotate = truth_on;
    Rotation_angles angles{359, 359, 359};
    for (int frame = 0; frame < 1000001; ++frame)
        angles = rotate(angles, params, 0.02f);
    EXPECT_EQ(angles.x, (359 + 1000001) % 360);
}

TEST(Requests, TwoResetPressesRebuildOnceWithTheCurrentGrid)
{
    Tparams params = start_values();
    params.auto_edit = 0;
    params.slices = 5;
    params.bands = 6;
    params.scale = 2.0f;
    params.m = 6.0f;
    auto shape = std::make_unique<Tsupershape>();
    params.do_reset = request_pending;
    params.do_reset = request_pending;
    carry_out_requests(params, shape);
    EXPECT_EQ(params.do_reset, request_idle);
    EXPECT_EQ(shape->vertex_count, 5 * 7);
    EXPECT_EQ(shape->colors[1].g, 1.0f) << "Reset paints the shape white";
    EXPECT_EQ(shape->vertices[3].y, Tsupershape(1.0f, 5, 6, 1, 1, 6, 0.3f, 1, 1).vertices[3].y * 2.0f);

    const Tsupershape* rebuilt = shape.get();
    carry_out_requests(params, shape);
    EXPECT_EQ(shape.get(), rebuilt) << "a request is acted on once";
    EXPECT_EQ(params.rot_str, "rotations: ");

    // Automatic editing re-evaluates the formula but never applies a grid.
    params.auto_edit = truth_on;
    params.slices = 20;
    params.m = 4.0f;
    carry_out_requests(params, shape);
    EXPECT_EQ(shape->vertex_count, 5 * 7);
    EXPECT_EQ(shape->m, 4.0f);
}

TEST(Requests, SwapsRunInOrderOnlyOnMinusOneAndClearAutoEdit)
{
    Tparams params = start_values();
    auto shape = std::make_unique<Tsupershape>();
    const Nsupershape::Tvector3 before = shape->vertices[10];
    params.do_swap_xy = 1;
    carry_out_requests(params, shape);
    EXPECT_EQ(params.do_swap_xy, 1) << "only -1 is a request";
    EXPECT_EQ(params.rot_str, "rotations: ");

    params.do_swap_xy = params.do_swap_xz = params.do_swap_yz = request_pending;
    carry_out_requests(params, shape);
    // (x, y, z) -> xy (y, x, z) -> xz (z, x, y) -> yz (z, y, x)
    EXPECT_EQ(shape->vertices[10].x, before.z);
    EXPECT_EQ(shape->vertices[10].z, before.x);
    EXPECT_EQ(params.rot_str, "rotations:  xy xz yz");
    EXPECT_EQ(params.auto_edit, 0);
    EXPECT_EQ(params.do_swap_xy | params.do_swap_xz | params.do_swap_yz, 0);

    carry_out_requests(params, shape);
    EXPECT_EQ(shape->vertices[10].x, before.z) << "the swapped mesh stays while auto edit is off";
    params.auto_edit = truth_on;
    carry_out_requests(params, shape);
    EXPECT_EQ(shape->vertices[10].x, before.x) << "re-evaluation drops the swaps";
    EXPECT_EQ(params.rot_str, "rotations:  xy xz yz");
}
