// Everything the user can set, in one record that the panel edits in place.
#pragma once

#include <cstdint>
#include <string>

// Truth values: 0 is off, anything else on; the program writes -1 for on.
constexpr std::int32_t truth_on = -1;
// Request flags: a button writes -1, the frame loop writes 0 and acts.
constexpr std::int32_t request_pending = -1;
constexpr std::int32_t request_idle = 0;

struct Tparams {
    float a = 0, b = 0, m = 0, n1 = 0, n2 = 0, n3 = 0, radius = 0;
    // The latitude's own set, used while `sets_linked` is off; linked, the
    // first set serves both angles, so a record filled in without them has
    // one set.
    float a2 = 0, b2 = 0, m2 = 0, n1_2 = 0, n2_2 = 0, n3_2 = 0;
    std::int32_t sets_linked = truth_on;
    std::int32_t slices = 0, bands = 0;
    float scale = 0;
    // The ring's distance from its axis in tube radii, 0 for a ball, and
    // the ball's twist in degrees from its bottom pole to its top one.
    float torus = 0, twist = 0;
    // Degrees, used while auto-rotation is off.
    float xrot = 0, yrot = 0, zrot = 0;
    // Red, green, blue, alpha; 255 is full.
    std::uint8_t color[4] = {};
    std::int32_t auto_edit = 0, show_axes = 0, auto_rotate = 0, smooth_lines = 0;
    std::int32_t do_reset = 0, do_quit = 0, do_swap_xy = 0, do_swap_xz = 0, do_swap_yz = 0;
    // Added to the model offset.
    float tx = 0, ty = 0, tz = 0;
    // The swap history shown on screen.
    std::string rot_str;
};

// The values the program starts with: one set, linked.
void set_start_values(Tparams& params);
