// The editor's side of the scene: its frame from the parameter record, the
// text overlay, and the view set on every window size change.
#pragma once

#include "app/frame.h"
#include "offscreen/image.h"
#include "panel/tweak_bar.h"
#include "params/Tparams.h"
#include "scene/scene.h"

#include <string>
#include <utility>
#include <vector>

class Tscreen;
class Trasterfont;

// The frame the editor draws for `params`: the model offset plus the user's
// translation, the whole-degree angles, the axes and line smoothing as
// switched, the view's zoom and the panel's colour.
scene::Frame editor_frame(const Tparams& params, const Rotation_angles& angles, float zoom = 1.0f);

// The window's height in scene units where the model sits: how far a pan
// moves the model for the pointer to keep up with it.
float view_height_at_model();

// The three overlay lines in white over the screen's pixel view: the
// caption, the frame rate and the swap history; and `note`, when there is
// one, under them.
void draw_text_overlay(Tscreen& screen, const Trasterfont& font, float fps, const std::string& history,
                       const std::string& note = "");

// Where the line about an export shows in a window of `width` x `height`
// pixels beside the bars in `bars`: under the overlay's lines (`below_note`
// when the note shows too) where its rows fit there, else just above the
// swap history; each row wrapped to the room left of the bars beside the
// rows, and none over a bar or past the window's edge.
struct Status_layout {
    // Where each row starts, in window pixels from the left.
    int x = 0;
    // Each row's height (its raster position, in window pixels from the top)
    // and text, top to bottom.
    std::vector<std::pair<int, std::string>> rows;
};
Status_layout lay_out_status(const std::string& line, int width, int height, const std::vector<TwBox>& bars,
                             bool below_note);

// The line about an export, `line`, over everything else, as laid out in
// the viewport beside the bars the panel drew last, each row on a black band.
void draw_status_line(const Trasterfont& font, const std::string& line, bool below_note);

// The picture drawn so far in the back buffer, as wide and high as the
// viewport.
offscreen::Image window_picture();

// The window library's size handler: the scene's view for the new size;
// then the panel learns the new size. Leaves the projection matrix selected.
void windowsizecb(int width, int height);
