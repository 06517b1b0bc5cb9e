// The decisions of one frame, apart from the window and GL: the frame clock,
// the rotation angles, the linked sets and the requests left by the panel.
#pragma once

#include "params/Tparams.h"
#include "shape/Tsupershape.h"

#include <cstdint>
#include <memory>
#include <string>

// Times in single precision, as the clock is read.
struct Frame_clock {
    float previous_time = 0;
    float last_update = 0;
    float frames = 0;
};

// Returns the seconds since the previous call. On the first call more than
// one second after the last update, `fps` becomes the number of calls since
// that update (not divided by the interval's length).
float advance_frame_clock(Frame_clock& clock, float now, float& fps);

// The frame-rate line of the overlay: "FPS:" and the value rounded down,
// in plain digits.
std::string fps_text(float fps);

// Whole degrees about x, y and z.
struct Rotation_angles {
    std::int32_t x = 0, y = 0, z = 0;
};

// With auto-rotation each angle advances by frame time x speed, rounded half
// to even; otherwise the angles are the panel's, rounded the same way.
void update_rotation(Rotation_angles& angles, const Tparams& params, float frame_time, float speed);

// The second set as the panel showed it last frame.
struct Second_set_seen {
    bool known = false;
    float values[6] = {};
};

// While the sets are linked the second shows the first's values; an edit of
// the second set itself separates them, keeping the edit.
void follow_linked_sets(Tparams& params, Second_set_seen& seen);

// Reset, automatic editing and the three swaps, in that order. `shape` is
// replaced on Reset and never left empty.
void carry_out_requests(Tparams& params, std::unique_ptr<Nsupershape::Tsupershape>& shape);
