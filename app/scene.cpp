#include "app/scene.h"

#include "font/Trasterfont.h"
#include "offscreen/framebuffer.h"
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
// The line about an export: its first row and the rows' pitch.
constexpr int status_y = 440, status_pitch = 16;
// Overlay pixels of the 640 x 480 view.
constexpr double view_width = 640, view_height = 480;
// Window pixels: a row's black band reaches 12 above its raster position, 4
// below and 2 left of it, and keeps as far from a bar.
constexpr int glyph_above = 12, glyph_below = 4, band_margin = 2;

// `line` in rows of at most `room` characters, broken after ", " or ": "
// where one fits, else after a blank, else in a path after a '/' or a '_',
// else anywhere.
std::vector<std::string> wrapped(const std::string& line, std::size_t room)
{
    std::vector<std::string> rows;
    for (std::size_t at = 0; at < line.size();) {
        std::size_t end = line.size();
        if (end - at > room) {
            end = at + room;
            const std::string_view part(line.data() + at, room);
            for (const std::string_view mark : {", ", ": ", " ", "/", "_"})
                if (const std::size_t found = part.rfind(mark); found != std::string_view::npos && found > 0) {
                    end = at + found + mark.size();
                    break;
                }
        }
        rows.push_back(line.substr(at, end - at));
        at = end;
    }
    return rows;
}

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

Status_layout lay_out_status(const std::string& line, int width, int height, const std::vector<TwBox>& bars,
                             bool below_note)
{
    Status_layout layout;
    if (line.empty() || width <= 0 || height <= 0)
        return layout;
    // Rows keep to the overlay's places, which grow with the window; the font's pixels stay pixels.
    const double x_scale = width / view_width, y_scale = height / view_height, pitch = status_pitch * y_scale;
    layout.x = int(std::lround(history_x * x_scale));
    // The characters that fit left of the window's edge and of every bar beside the rows from `top` to `bottom`.
    const auto room = [&](double top, double bottom) {
        double right = width - layout.x;
        for (const TwBox& bar : bars)
            if (bar.top < bottom && bar.bottom > top && bar.right > layout.x - band_margin)
                right = std::min(right, double(bar.left) - band_margin);
        return std::size_t(std::max(0.0, std::floor((right - layout.x) / Trasterfont::advance)));
    };
    // The fewest of `slots` rows from `first` on, `step` apart, that hold the line wrapped to the room beside them;
    // with `cut`, all the rows that have room and as much of the line as they hold. Returns the characters placed.
    const auto place = [&](Status_layout& into, double first, double step, int slots, bool cut) {
        const auto room_for = [&](int n) {
            const double last = first + (n - 1) * step;
            return room(std::min(first, last) - glyph_above, std::max(first, last) + glyph_below);
        };
        int usable = 0;
        while (usable < slots && room_for(usable + 1) > 0)
            ++usable;
        for (int n = 1; n <= usable; ++n) {
            const std::size_t chars = room_for(n);
            std::vector<std::string> rows = wrapped(line, chars);
            const bool short_of_rows = rows.size() > std::size_t(n);
            if (short_of_rows && !(cut && n == usable))
                continue;
            rows.resize(std::min(rows.size(), std::size_t(n)));
            // A cut line says so.
            if (short_of_rows) {
                const std::string_view ellipsis = "...";
                std::string& last = rows.back();
                last.resize(std::min(last.size(), chars - std::min(chars, ellipsis.size())));
                last += ellipsis.substr(0, chars - last.size());
            }
            // Read top to bottom, whichever way the slots run.
            const std::size_t count = rows.size();
            std::size_t placed = 0;
            for (std::size_t k = 0; k < count; ++k) {
                placed += rows[k].size();
                into.rows.emplace_back(std::lround(first + double(step > 0 ? k : count - 1 - k) * step),
                                       std::move(rows[k]));
            }
            return placed;
        }
        return std::size_t(0);
    };
    const double below = (status_y + (below_note ? note_y - history_y : 0)) * y_scale;
    const double above = history_y * y_scale - pitch;
    const int below_slots = int(std::floor((height - glyph_below - below) / pitch)) + 1;
    const int above_slots = int(std::floor((above - glyph_above) / pitch)) + 1;
    // Under the history where the rows fit, else just above it, else whichever of the two holds more of it.
    if (place(layout, below, pitch, below_slots, false) > 0 || place(layout, above, -pitch, above_slots, false) > 0)
        return layout;
    Status_layout under = layout;
    if (place(under, below, pitch, below_slots, true) >= place(layout, above, -pitch, above_slots, true))
        return under;
    return layout;
}

void draw_status_line(const Trasterfont& font, const std::string& line, bool below_note)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const Status_layout layout =
        lay_out_status(font::drawable_text(line), viewport[2], viewport[3], TwBarBoxes(), below_note);
    if (layout.rows.empty())
        return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    // Window pixels, y downwards.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, viewport[2], viewport[3], 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (const auto& [y, row] : layout.rows) {
        glColor3f(0.0f, 0.0f, 0.0f);
        glRecti(layout.x - band_margin, y - glyph_above, layout.x + int(row.size()) * Trasterfont::advance,
                y + glyph_below);
        glColor3f(1.0f, 1.0f, 1.0f);
        font.print(layout.x, y, row);
    }
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

offscreen::Image window_picture(const std::function<void()>& draw)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    offscreen::Image picture;
    picture.width = std::max(viewport[2], 0);
    picture.height = std::max(viewport[3], 0);
    picture.rgb.resize(std::size_t(picture.width) * offscreen::Image::channels * std::size_t(picture.height));
    // Drawn larger and brought down, as shapetool's pictures are; the window
    // keeps its view and line width, and gets its own framebuffer back as
    // this one goes.
    offscreen::Framebuffer framebuffer;
    if (offscreen::Framebuffer::available().ok() && framebuffer.use(picture.width, picture.height).ok()) {
        const int scale = framebuffer.scale();
        glPushAttrib(GL_VIEWPORT_BIT | GL_LINE_BIT | GL_SCISSOR_BIT | GL_TRANSFORM_BIT);
        glDisable(GL_SCISSOR_TEST);
        glLineWidth(static_cast<float>(scale));
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        scene::set_view(0, 0, scale * picture.width, scale * picture.height);
        draw();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glPopAttrib();
        framebuffer.resolve();
        framebuffer.read(0, picture.height, offscreen::Pixels::rgb, picture.rgb.data());
        return picture;
    }
    draw();
    glPushAttrib(GL_PIXEL_MODE_BIT);
    glReadBuffer(GL_BACK);
    offscreen::read_rows(viewport[0], viewport[1], picture.width, picture.height, offscreen::Pixels::rgb,
                         picture.rgb.data());
    glPopAttrib();
    return picture;
}

void windowsizecb(int width, int height)
{
    scene::set_view(0, 0, width, height);
    TwWindowSize(width, height);
}
