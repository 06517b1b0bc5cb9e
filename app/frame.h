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
    // Its fields of the second set; the others stay unused.
    Tparams values;
};

// While the sets are linked the second shows the first's values; an edit of
// the second set itself separates them, keeping the edit.
void follow_linked_sets(Tparams& params, Second_set_seen& seen);

// The numbers of a grid's recipe: the values it was last evaluated for, the
// counts it was built with and the scale applied after. Compared as bytes,
// so that a member added here is compared too; it has no padding.
struct Grid_numbers {
    Nsupershape::Formula formula;
    std::int32_t slices = 0, bands = 0;
    float scale = 1.0f;
};
static_assert(sizeof(Grid_numbers) == sizeof(Nsupershape::Formula) + 2 * sizeof(std::int32_t) + sizeof(float),
              "a grid's numbers are compared as bytes");

// What the drawn grid was made from, so that it can be made again bit for
// bit: its numbers and the swaps since.
struct Grid_recipe : Grid_numbers {
    // The swaps' axes, '0' for xy, '1' for xz and '2' for yz, in order.
    std::string swaps;
};
static_assert(sizeof(Grid_recipe) == sizeof(Grid_numbers) + sizeof(std::string),
              "a recipe is its numbers and its swaps, and same_recipe compares both");

// Whether two recipes hold the same bits, and so make the same grid.
bool same_recipe(const Grid_recipe& one, const Grid_recipe& other);

// The shape the editor draws and how it was made; at first the 8 x 8 shape.
struct Shown_shape {
    Shown_shape();

    std::unique_ptr<Nsupershape::Tsupershape> shape;
    Grid_recipe recipe;
};

// The shape made again from `recipe` as Reset builds it, then swapped.
void rebuild(Shown_shape& shown, const Grid_recipe& recipe);

// How the grid drawn stands to the one the values make, for a file that must
// hold what the window shows.
enum class Grid_match {
    same,
    // Automatic editing brings the values in at the next frame.
    following,
    // Values that need Reset (the counts, or any with automatic editing off).
    needs_reset,
    // Axes swapped, and not back where they were.
    swapped,
};
Grid_match match_grid(const Tparams& params, const Shown_shape& shown);

// Reset, automatic editing and the three swaps, in that order; the recipe
// follows each. The shape is replaced on Reset and never left empty.
void carry_out_requests(Tparams& params, Shown_shape& shown);
