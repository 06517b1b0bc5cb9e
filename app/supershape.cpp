// The editor's main routine: start-up, the frame loop and shutdown, and the
// frame clock.
#include "app/explorebar.h"
#include "app/exportbar.h"
#include "app/frame.h"
#include "app/history.h"
#include "app/save.h"
#include "app/scene.h"
#include "app/shapebar.h"
#include "app/solid_view.h"
#include "explore/presets.h"
#include "explore/random.h"
#include "font/Trasterfont.h"
#include "output/atomic_file.h"
#include "panel/tweak_bar.h"
#include "params/Tparams.h"
#include "params/maker.h"
#include "runtime/console.h"
#include "runtime/fatal_error.h"
#include "runtime/status.h"
#include "runtime/version.h"
#include "screen/Tscreen.h"
#include "screen/glfw_layer.h"
#include "shape/Tsupershape.h"
#include "snippet/snippet.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace app {

// The one record the panel edits, program-wide.
Tparams params;

namespace {

constexpr int window_width = 640;
constexpr int window_height = 480;
constexpr float start_fps = 60.0f;
constexpr float auto_rotation_speed = 50.0f;

Frame_clock frame_clock;

std::string window_title()
{
    return std::string(params::program_name) + " by " + params::maker_name + " (" + params::web_address + ")";
}

// The presets: the shape shown when the editor last ended, the examples of
// the working folder, then the installed ones, then the user's saved shapes,
// read again whenever a folder changes (as a Save changes shapes/). Refused
// files are said on standard error, once.
class Preset_source {
public:
    Preset_source()
    {
        std::error_code error;
        const std::string last = last_shape_path(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
        if (!last.empty() && std::filesystem::exists(last, error)) {
            explore::Preset kept{"(last shape)", {}};
            const runtime::Status status = snippet::read_file(last, kept.values);
            if (status.ok())
                last_.push_back(std::move(kept));
            else
                runtime::error_line(status.message.c_str());
        }
        const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
        if (!error)
            folders_.push_back(
                {(program.parent_path() / SUPERSHAPE_EXAMPLES_FROM_PROGRAM).lexically_normal().string(), ""});
        folders_.push_back({"shapes", "shapes/"});
    }

    // Offers the presets read again if a folder changed since the last call.
    void follow(Exploring& exploring)
    {
        std::string stamp = explore::folders_stamp(folders_);
        if (stamp == stamp_)
            return;
        stamp_ = std::move(stamp);
        std::vector<std::string> refusals;
        std::vector<explore::Preset> presets = last_;
        for (explore::Preset& preset : explore::read_presets(folders_, refusals))
            presets.push_back(std::move(preset));
        for (const std::string& refusal : refusals)
            if (said_.insert(refusal).second)
                runtime::error_line(refusal.c_str());
        offer_presets(exploring, std::move(presets));
    }

private:
    // The last shape, when one was kept and could be read.
    std::vector<explore::Preset> last_;
    std::vector<explore::Preset_folder> folders_{{"examples", ""}};
    // Empty until the first read: a stamp holds a '/' per folder.
    std::string stamp_;
    std::set<std::string> said_;
};

} // namespace

// Seconds since the previous call; replaces `fps` about once a second.
float get_deltatime(float& fps)
{
    return advance_frame_clock(frame_clock, static_cast<float>(screen::get_time()), fps);
}

namespace {

// `opened`: the values of a snippet named on the command line, if any.
int run_editor(const std::optional<Tparams>& opened)
{
    const runtime::Error_site main_site{"supershape", "main"};

    if (opened)
        params = *opened;
    else
        set_start_values(params);
    Tscreen screen(window_width, window_height, 0);
    screen.init_gl_screen();
    screen::enable_mouse_cursor();
    screen::enable_key_repeat();
    screen::set_window_title(window_title().c_str());
    Exploring exploring = start_exploring(explore::clock_seed(), {});
    Preset_source preset_source;
    preset_source.follow(exploring);
    Exporting exporting = start_exporting(params);
    start_panel(params, exploring, exporting);
    // The view's own zoom, never saved.
    float zoom = 1.0f;
    Rotation_angles angles;
    // A drag that stops the spin turns on from where the spin has got to.
    const auto hand_over_spin = [&angles] {
        params.xrot = float(angles.x), params.yrot = float(angles.y), params.zrot = float(angles.z);
    };
    TwSetViewControls({&params.xrot, &params.yrot, &params.tx, &params.ty, &params.auto_rotate, &zoom,
                       view_height_at_model(), hand_over_spin});

    screen::set_window_size_callback(windowsizecb);
    // Every input goes to the panel; the program asks only whether an Esc was left unused.
    screen::set_mouse_button_callback(TwEventMouseButtonGLFW);
    screen::set_mouse_pos_callback(TwMouseMotion);
    screen::set_mouse_wheel_callback(TwMouseWheel);
    screen::set_key_callback(TwEventKeyGLFW);
    screen::set_char_callback(TwEventCharGLFW);

    float fps = start_fps;
    get_deltatime(fps);
    const float rotation_speed = auto_rotation_speed;
    // Held so that its lists go before the window and its context do.
    std::optional<Trasterfont> font(std::in_place);
    Shown_shape shown;
    if (opened) {
        // The opened shape shows from the first frame, built as Reset builds it.
        params.do_reset = request_pending;
        carry_out_requests(params, shown);
    }
    History history(step_of(params, shown));
    Solid_view solid_view;
    Second_set_seen second_set_seen;

    for (;;) {
        const float frame_time = get_deltatime(fps);
        update_rotation(angles, params, frame_time, rotation_speed);
        std::string note;
        const scene::Surface* surface = exploring.solid != 0 ? solid_view.surface(shown, note) : nullptr;
        if (note.empty())
            note = Nsupershape::refusal(shown.recipe.formula);
        const auto draw_scene = [&](const scene::Overlay& overlay) {
            if (surface)
                scene::draw_frame(editor_frame(params, angles, zoom), *surface, overlay);
            else
                scene::draw_frame(editor_frame(params, angles, zoom),
                                  runtime::checked_deref(shown.shape.get(), main_site), overlay);
        };
        // A picture is this frame without its text, drawn before it.
        const double now = screen::get_time();
        // A shell takes seconds at fine grids: the window says how far it has come, five times a second.
        double said_at = now;
        exporting.progress = [&](double done) {
            if (screen::get_time() - said_at < 0.2)
                return;
            said_at = screen::get_time();
            draw_scene([&] { draw_text_overlay(screen, *font, fps, params.rot_str, note); });
            draw_status_line(*font, "hollowing the export: " + std::to_string(int(100 * done)) + " %", !note.empty());
            screen::swap_buffers();
        };
        carry_out_exporting(
            exporting, params, shown, [&] { return window_picture([&] { draw_scene({}); }); }, now);
        draw_scene([&] { draw_text_overlay(screen, *font, fps, params.rot_str, note); });

        follow_linked_sets(params, second_set_seen);
        carry_out_exploring(exploring, params, shown, history, second_set_seen);
        carry_out_requests(params, shown);
        history.watch(step_of(params, shown), TwEditing());
        preset_source.follow(exploring);

        TwDraw();
        draw_status_line(*font, now < exporting.said_until ? exporting.said : "", !note.empty());
        screen::swap_buffers();
        // A window closed from its frame ends the program as Quit does.
        if (TwEscapeUnused() || params.do_quit != 0 || !screen::window_open())
            break;
    }
    keep_last_shape(params);

    font.reset();
    shown.shape.reset();
    TwTerminate();
    screen::close_window();
    return 0;
}

} // namespace

} // namespace app

namespace {

constexpr char help_text[] = "Usage: supershape [SNIPPET.bas]\n"
                             "Design three-dimensional superformula shapes (supershapes) and watch them\n"
                             "change as you edit.\n"
                             "\n"
                             "A control panel edits the formula's a, b, m, n1, n2 and n3, the radius, the\n"
                             "mesh's slices and bands, scale, rotation, translation and colour; the shape, a\n"
                             "wire strip, follows live. Named, a snippet saved earlier opens with its values;\n"
                             "one that cannot be read is refused with one line, status 2. The bar Profile, in\n"
                             "the bottom-right corner, gives the rows (the latitude) a second set of a, b, m,\n"
                             "n1, n2 and n3 of their own, and holds the torus, which above 0 makes a ring,\n"
                             "and the twist of a ball, in degrees from its bottom to its top.\n"
                             "\n"
                             "The bar Explore, beside it, draws random shapes (the seed is shown, and\n"
                             "shapetool random --seed S makes the same draws), keeps chosen values through\n"
                             "them, steps back and forward through every change, loads the snippets of\n"
                             "examples/, the installed examples and shapes/ (as shapes/NAME) as presets, and\n"
                             "shows the shape as the closed, lit surface it prints as; a switch lets draws\n"
                             "be rings and twisted shapes. The shape shown when\n"
                             "the editor last ended is offered first, as (last shape), kept in\n"
                             "$XDG_STATE_HOME/supershape/last.bas (~/.local/state without it).\n"
                             "\n"
                             "The bar Export writes the shape's mesh, in a format of shapetool export's at a\n"
                             "size in millimetres, or the view as a PNG picture into shapes/, beside its\n"
                             "snippet, saved first unless unchanged; the mesh is what shapetool export\n"
                             "writes from that snippet. A line by the swap history, clear of the bars, says\n"
                             "what was written.\n"
                             "\n"
                             "Mouse: outside the bars a left drag turns the view, a right or middle drag\n"
                             "moves it and the wheel zooms (never saved); a number's label dragged changes\n"
                             "it, ten times finer with Shift.\n"
                             "\n"
                             "Keys: Space rebuilds the shape (Reset) and R draws a random one, unless you are\n"
                             "typing into a field; Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo; Ctrl+E\n"
                             "exports the mesh and Ctrl+P the picture. Esc drops a typed value or closes an\n"
                             "open list or colour picker, and otherwise quits.\n"
                             "Typed values take effect on Enter. Save writes the values as a snippet\n"
                             "into the folder shapes/ of the folder the editor starts in, named after the\n"
                             "date and time, and never replaces one: a second Save within the same second\n"
                             "adds _2, _3, ... Without that folder Save ends the editor with an error report.\n"
                             "\n"
                             "Options:\n"
                             "  --help     print this help and exit\n"
                             "  --version  print the version and exit\n"
                             "\n"
                             "Exit statuses:\n"
                             "  0  closed without an error\n"
                             "  2  a snippet or an argument refused, in one line\n"
                             "  3  the help or the version could not be written\n"
                             "  N  ended by the report \"Aborting due to runtime error N\"\n";

} // namespace

int main(int argc, char** argv)
{
    // A signal during Save leaves no half-written snippet behind.
    runtime::install_signal_reports("supershape", output::remove_temporaries);
    // Asked before any window opens.
    const bool help = argc == 2 && std::string_view(argv[1]) == "--help";
    if (help || (argc == 2 && std::string_view(argv[1]) == "--version")) {
        std::fputs(help ? help_text : "supershape " SUPERSHAPE_VERSION "\n", stdout);
        if (const int error = runtime::finish_standard_output()) {
            const std::string reason = std::strerror(error);
            runtime::error_line(
                ("supershape: " +
                 runtime::failure(runtime::Status::Kind::cannot_write, "standard output", reason).message)
                    .c_str());
            constexpr int output_failed = 3;
            return output_failed;
        }
        return 0;
    }
    // One optional snippet to start from, refused before any window opens.
    constexpr int bad_arguments = 2;
    std::optional<Tparams> opened;
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        runtime::error_line("usage: supershape [SNIPPET.bas] (supershape --help says more)");
        return bad_arguments;
    }
    if (argc == 2) {
        Tparams read;
        const runtime::Status status = snippet::read_file(argv[1], read);
        if (!status.ok()) {
            runtime::error_line(status.message.c_str());
            return bad_arguments;
        }
        opened = std::move(read);
    }
    try {
        return app::run_editor(opened);
    } catch (const runtime::Failure& failure) {
        runtime::fatal_error(failure.error, failure.site);
    }
}
