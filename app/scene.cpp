#include "app/scene.h"

#include "font/Trasterfont.h"
#include "panel/tweak_bar.h"
#include "params/maker.h"
#include "screen/Tscreen.h"

#include "scene/camera.h"

#include <GL/gl.h>

#include <cmath>

namespace {

constexpr float model_offset_x = 3.0f;
constexpr float model_offset_z = -5.0f;
// Overlay text positions in the 640 x 480 pixel view, y downwards.
constexpr int caption_x = 450, caption_y = 20;
constexpr int fps_x = 450, fps_y = 40;
constexpr int history_x = 20, history_y = 420;
constexpr int note_x = 20, note_y = 440;

} // namespace

scene::Frame editor_frame(const Tparams& params, const Rotation_angles& angles, float zoom)
{
    scene::Frame frame;
    frame.placement.offset[0] = model_offset_x + params.tx;
    frame.placement.offset[1] = params.ty;
    frame.placement.offset[2] = model_offset_z + params.tz;
    frame.placement.angles[0] = static_cast<float>(angles.x);
    frame.placement.angles[1] = static_cast<float>(angles.y);
    frame.placement.angles[2] = static_cast<float>(angles.z);
    frame.show_axes = params.show_axes != 0;
    frame.smooth_lines = params.smooth_lines != 0;
    frame.zoom = zoom;
    for (int channel = 0; channel < 4; ++channel)
        frame.color[channel] = params.color[channel];
    return frame;
}

float view_height_at_model()
{
    const double* eye = scene::camera::eye;
    const double distance = std::hypot(model_offset_x - eye[0], eye[1], model_offset_z - eye[2]);
    constexpr double degrees_per_radian = 180.0 / 3.14159265358979323846;
    return static_cast<float>(2.0 * distance * std::tan(scene::camera::field_of_view / 2.0 / degrees_per_radian));
}

void draw_text_overlay(Tscreen& screen, const Trasterfont& font, float fps, const std::string& history,
                       const std::string& note)
{
    screen.view_ortho();
    glColor3f(1.0f, 1.0f, 1.0f);
    font.print(caption_x, caption_y, params::program_name);
    font.print(fps_x, fps_y, fps_text(fps));
    font.print(history_x, history_y, history);
    if (!note.empty())
        font.print(note_x, note_y, note);
    screen.view_perspective();
}

void windowsizecb(int width, int height)
{
    scene::set_view(0, 0, width, height);
    TwWindowSize(width, height);
}
