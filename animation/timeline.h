// Where each frame of an animation stands, as plain numbers: a turntable's
// turn, a morph's leg, blend and turn, the shape between two at a blend, and
// when each frame starts in the ticks a file format counts.
#pragma once

#include "params/Tparams.h"

#include <cstddef>

namespace animation {

// Frame `frame` of `count`: between shapes `from` and `to`, `blend` of the
// way from the first (0 to 1), turned `turn` degrees about the vertical axis.
struct Frame_plan {
    std::size_t from = 0, to = 0;
    double blend = 0.0;
    double turn = 0.0;
};

// For one shape, a turntable: a full circle in `count` frames, frame k at
// k / count of it, so that the loop closes without a repeated frame. For
// `shapes` of 2 or more, a morph through them in order: frame k at t = k /
// (count - 1) of the whole (0 for a single frame), so that the last frame is
// the last shape; with `loop`, back to the first at t = k / count, so that
// the frame after the last would be the first again. The legs share t
// evenly, each eased in and out (smoothstep), turning `turn_per_leg` degrees
// a leg at an even pace. Needs count >= 1.
Frame_plan plan_frame(int frame, int count, std::size_t shapes, bool loop, double turn_per_leg);

// Whether a morph through `shapes` back to the first, turning `turn_per_leg`
// degrees a leg, turns whole circles in all (within a twentieth of a
// degree), so that the seam shows no jump.
bool loop_closes(std::size_t shapes, double turn_per_leg);

// The shape `blend` of the way from `from` to `to`: every saved number, both
// sets (a shape with one set lends its first as its second), the colour and
// the counts (rounded). The divisors a and b and the exponent's n1 go
// through their reciprocals, 1/a, 1/b and -1/n1, which stay finite where the
// number passes through infinity (n1 from -1 to 0.4 never passes through 0);
// the rest go straight. The text fields are `from`'s. A blend of 0 or less
// is `from` itself, 1 or more `to`.
Tparams blend(const Tparams& from, const Tparams& to, double blend);

// When frame `frame` starts at `fps` frames a second, in ticks of
// 1 / `ticks_per_second` seconds, rounded to the nearest tick: the delays
// between starts keep the pace over the whole (30 fps in hundredths: 3, 4,
// 3, 3, 4, 3, ...). Needs fps >= 1.
int frame_start(int frame, int fps, int ticks_per_second);

} // namespace animation
