#include "app/scene.h"

#include "font/Trasterfont.h"
#include "panel/tweak_bar.h"
#include "params/maker.h"
#include "screen/Tscreen.h"

#include "scene/camera.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <string_view>

namespace {

constexpr float model_offset_x = 3.0f;
constexpr float model_offset_z = -5.0f;
// Overlay text positions in the 640 x 480 pixel view, y downwards.
constexpr int caption_x = 450, caption_y = 20;
constexpr int fps_x = 450, fps_y = 40;
constexpr int history_x = 20, history_y = 420;
constexpr int note_x = 20, note_y = 440;
// The line about an export: its rows, at most down to the window's bottom.
constexpr int status_y = 440, status_pitch = 16, status_last_y = 476;
// Overlay pixels of the 640 x 480 view; a glyph reaches 12 pixels above its
// raster position and 3 below.
constexpr double view_width = 640, view_height = 480;
constexpr int glyph_above = 12, glyph_below = 4;

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

void draw_status_line(Tscreen& screen, const Trasterfont& font, const std::string& line, bool below_note)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (line.empty() || viewport[2] <= 0 || viewport[3] <= 0)
        return;
    // The font's pixels stay pixels in a larger window; the view's units grow.
    const double x_units = view_width / viewport[2], y_units = view_height / viewport[3];
    const double margin = history_x / x_units;
    const std::size_t room = std::size_t(std::max(1.0, (viewport[2] - 2 * margin) / Trasterfont::advance));
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    screen.view_ortho();
    int y = status_y + (below_note ? note_y - history_y : 0);
    for (std::size_t at = 0; at < line.size() && y <= status_last_y; y += status_pitch) {
        // Broken after ", " or ": " where one fits, else after a blank, else anywhere.
        std::size_t end = line.size();
        if (end - at > room) {
            end = at + room;
            const std::string_view part(line.data() + at, room);
            for (const std::string_view mark : {", ", ": ", " "})
                if (const std::size_t found = part.rfind(mark); found != std::string_view::npos && found > 0) {
                    end = at + found + mark.size();
                    break;
                }
        }
        const std::string row = line.substr(at, end - at);
        glColor3f(0.0f, 0.0f, 0.0f);
        glRectd(history_x - 2 * x_units, y - glyph_above * y_units,
                history_x + double(row.size() * Trasterfont::advance) * x_units, y + glyph_below * y_units);
        glColor3f(1.0f, 1.0f, 1.0f);
        font.print(history_x, y, row);
        at = end;
    }
    screen.view_perspective();
    glPopAttrib();
}

offscreen::Image window_picture()
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    offscreen::Image picture;
    picture.width = std::max(viewport[2], 0);
    picture.height = std::max(viewport[3], 0);
    const std::size_t row = std::size_t(picture.width) * offscreen::Image::channels;
    picture.rgb.resize(row * std::size_t(picture.height));
    glPushAttrib(GL_PIXEL_MODE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(viewport[0], viewport[1], picture.width, picture.height, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    glPopClientAttrib();
    glPopAttrib();
    // GL counts rows from the bottom, files from the top.
    for (int top = 0, bottom = picture.height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(picture.rgb.begin() + top * row, picture.rgb.begin() + (top + 1) * row,
                         picture.rgb.begin() + bottom * row);
    return picture;
}

void windowsizecb(int width, int height)
{
    scene::set_view(0, 0, width, height);
    TwWindowSize(width, height);
}
