// The animate command: one shape turning a full circle, or a morph through
// several, drawn off screen frame by frame on one context and written as the
// frames come: an animated WebP or GIF file or an MP4 video, PNG frames, or
// both.
#include "tool/animate_command.h"

#include "animation/timeline.h"
#include "animation/writers.h"
#include "output/atomic_file.h"
#include "params/fields.h"
#include "runtime/text.h"
#include "tool/batch.h"
#include "tool/command_line.h"
#include "tool/flags.h"
#include "tool/meshed_shape.h"
#include "tool/pictures.h"
#include "tool/progress.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace shapetool {
namespace {

namespace fs = std::filesystem;

// Why the outputs cannot be written as asked, as a usage error; empty when
// they can, with the animated file's format in `format` when there is one.
std::string refused_outputs(const Animate_options& options, const animation::Format_row*& format)
{
    std::vector<std::string> extensions;
    for (const animation::Format_row& row : animation::formats)
        extensions.push_back(std::string(".") + row.extension);
    if (options.output.empty() && options.frames_dir.empty())
        return "say where to write: -o FILE (" + runtime::listed(extensions, "or") + "), --frames-dir DIR, or both";
    if (!options.output.empty()) {
        format = animation::animated_format_for_path(options.output);
        if (!format)
            return "-o must name a " + runtime::listed(extensions, "or") + " file";
        if (options.fps > format->max_fps)
            return std::string(format->title) + " holds at most " + std::to_string(format->max_fps) +
                   " frames a second; give a lower --fps";
    }
    // The formats with a capability, as "FILE.webp or FILE.mp4".
    const auto formats_with = [](bool animation::Format_row::*capability) {
        std::vector<std::string> files;
        for (const animation::Format_row& row : animation::formats)
            if (row.*capability)
                files.push_back("FILE." + std::string(row.extension));
        return runtime::listed(files, "or");
    };
    if (format && options.transparent && !format->has_alpha)
        return std::string(format->title) + " has no transparent ground; leave out --transparent or write -o " +
               formats_with(&animation::Format_row::has_alpha);
    if (format && options.lossless && !format->has_lossless)
        return std::string(format->title) + " is always lossy; leave out --lossless or write -o " +
               formats_with(&animation::Format_row::has_lossless);
    if (options.quality && !(format && format->has_quality))
        return "--quality is for -o " + formats_with(&animation::Format_row::has_quality);
    if (options.lossless && !(format && format->has_lossless))
        return "--lossless is for -o " + formats_with(&animation::Format_row::has_lossless);
    if (options.quality && options.lossless)
        return "--lossless keeps every pixel; leave out --quality";
    if (format && format->size_refusal)
        return format->size_refusal(options.width, options.height, options.fps);
    return "";
}

// Where each frame stands, and the shape it shows.
class Frames {
public:
    Frames(const std::vector<Named_shape>& shapes, const Animate_options& options) : shapes_(shapes), options_(options)
    {
    }

    bool turntable() const { return shapes_.size() == 1; }
    std::size_t shapes() const { return shapes_.size(); }
    const Tparams& params(std::size_t shape) const { return *shapes_[shape].params; }
    const std::string& name(std::size_t shape) const { return shapes_[shape].name; }

    animation::Frame_plan plan(int frame) const
    {
        return animation::plan_frame(frame, options_.frames, shapes_.size(), options_.loop,
                                     options_.turn.value_or(0.0f));
    }

    Tparams params(const animation::Frame_plan& plan) const
    {
        return animation::blend(*shapes_[plan.from].params, *shapes_[plan.to].params, plan.blend);
    }

    // What a refusal calls the frame: a shape's name where the frame is
    // that shape.
    std::string name(int frame, const animation::Frame_plan& plan) const
    {
        if (plan.blend <= 0.0)
            return shapes_[plan.from].name;
        if (plan.blend >= 1.0)
            return shapes_[plan.to].name;
        return shapes_[plan.from].name + " to " + shapes_[plan.to].name + ", frame " + std::to_string(frame + 1) +
               " of " + std::to_string(options_.frames);
    }

private:
    const std::vector<Named_shape>& shapes_;
    const Animate_options& options_;
};

// Meshes every frame, a turntable's one shape once, and frames each: a
// turntable as render frames its shape, a morph's frames between the
// framings its shapes have alone (scene::morph_framings). The first refusal
// stops it.
Status frame_every_frame(const Frames& frames, const Animate_options& options, Meshed_shape& meshed,
                         std::vector<scene::Framing>& framings)
{
    const Meshed_shape::Kind kind = mesh_kind(!options.wire);
    const auto reach = [&](const Tparams& params, const std::string& name, scene::Reach& reached) {
        const Status made = meshed.make(params, kind);
        if (!made.ok())
            return runtime::failure(made.kind, name, made.message);
        const mesh::Mesh_view view = meshed.view();
        reached = scene::reach_of(view.positions, view.vertex_count);
        return Status{};
    };
    std::vector<scene::Framing> own;
    scene::Reach reached;
    for (std::size_t shape = 0; shape < frames.shapes(); ++shape) {
        if (const Status made = reach(frames.params(shape), frames.name(shape), reached); !made.ok())
            return made;
        own.push_back(scene::fit_to_view(reached, options.width, options.height));
    }
    if (frames.turntable()) {
        framings.assign(std::size_t(options.frames), own.front());
        return {};
    }
    // A loop's frame after the last, its first shape again, keeps the
    // framing easing into it.
    std::vector<scene::Morph_frame> morph;
    for (int frame = 0; frame < options.frames + (options.loop ? 1 : 0); ++frame) {
        const animation::Frame_plan plan = frames.plan(frame);
        morph.push_back({plan.from, plan.to, plan.blend, {}});
        if (frame < options.frames)
            if (const Status made = reach(frames.params(plan), frames.name(frame, plan), morph.back().reach);
                !made.ok())
                return made;
    }
    framings = scene::morph_framings(own.data(), morph.data(), morph.size(), options.width, options.height);
    framings.resize(std::size_t(options.frames));
    return {};
}

constexpr int max_frames = 9999;
constexpr char frame_prefix[] = "frame_";

// "frame_0001.png" for the first frame.
std::string frame_name(int frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "%s%04d.png", frame_prefix, frame + 1);
    return name;
}

std::string frame_path(const std::string& folder, int frame)
{
    return (fs::path(folder) / frame_name(frame)).string();
}

std::vector<std::string> frame_paths(const Animate_options& options)
{
    std::vector<std::string> paths;
    if (!options.frames_dir.empty())
        for (int frame = 0; frame < options.frames; ++frame)
            paths.push_back(frame_path(options.frames_dir, frame));
    return paths;
}

// Removes the frames beyond the first `count` in `folder`, left by a longer
// run: files and links named exactly as frames are, a link itself and not
// its file. Returns how many went.
int remove_older_frames(const std::string& folder, int count)
{
    std::vector<fs::path> older;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        // Read back, the number must give the very name.
        const long number =
            name.rfind(frame_prefix, 0) == 0 ? std::strtol(name.c_str() + std::strlen(frame_prefix), nullptr, 10) : 0;
        const fs::file_type type = entry.symlink_status(error).type();
        if (number > count && number <= max_frames && name == frame_name(int(number) - 1) &&
            (type == fs::file_type::regular || type == fs::file_type::symlink))
            older.push_back(entry.path());
    }
    int removed = 0;
    for (const fs::path& path : older)
        removed += fs::remove(path, error) ? 1 : 0;
    return removed;
}

// The topmost of `folder` and its parents that is missing, which making
// `folder` makes; empty when it is there.
fs::path first_missing(const fs::path& folder)
{
    fs::path missing;
    std::error_code error;
    for (fs::path at = folder; !at.empty() && !fs::exists(fs::symlink_status(at, error)); at = at.parent_path())
        missing = at;
    return missing;
}

// Removes the folders that making `folder` made, from `folder` up to
// `missing`, as long as they are empty.
void remove_made(const fs::path& folder, const fs::path& missing)
{
    std::error_code error;
    for (fs::path at = folder; !missing.empty() && !at.empty(); at = at.parent_path())
        if (!fs::remove(at, error) || at == missing)
            return;
}

// "turn.webp and frames: 60 frames of 480 x 480 pixels at 30 fps", and
// how many older frames were removed.
std::string summary(const Animate_options& options, int removed)
{
    std::vector<std::string> outputs;
    for (const std::string& output : {options.output, options.frames_dir})
        if (!output.empty())
            outputs.push_back(output);
    return runtime::listed(outputs, "and") + ": " + std::to_string(options.frames) +
           (options.frames == 1 ? " frame of " : " frames of ") + std::to_string(options.width) + " x " +
           std::to_string(options.height) + " pixels at " + std::to_string(options.fps) + " fps" +
           (removed == 0   ? ""
            : removed == 1 ? "; removed 1 older frame"
                           : "; removed " + std::to_string(removed) + " older frames");
}

// Where the frames go: the animated file through its writer, and the PNG
// frames' folder. The writer is declared after its file, so that it is done
// with the stream before the file goes.
struct Outputs {
    std::unique_ptr<output::Atomic_file> file;
    std::unique_ptr<animation::Writer> writer;
    std::string frames_dir;
};

// Reports `why` about `subject`; returns its exit status.
int failed(Console& console, const std::string& subject, const Status& why)
{
    report(console, runtime::failure(why.kind, subject, why.message).message);
    return exit_status_of(why);
}

// A ring's grid has no poles to blend into a ball's: each leg of a morph
// joins two rings or two balls.
Status one_kind_a_leg(const std::vector<Named_shape>& shapes, bool loop)
{
    const auto ring = [](const Named_shape& shape) {
        return Nsupershape::is_ring(Nsupershape::formula_of(*shape.params));
    };
    const std::size_t legs = loop ? shapes.size() : shapes.size() - 1;
    for (std::size_t k = 0; k < legs; ++k) {
        const Named_shape &from = shapes[k], &to = shapes[(k + 1) % shapes.size()];
        if (ring(from) == ring(to))
            continue;
        const Named_shape &the_ring = ring(from) ? from : to, &the_ball = ring(from) ? to : from;
        return runtime::refused(to.name + ": a morph between a ring and a ball: " + the_ring.name +
                                " is a ring (torus " + params::shortest_text(the_ring.params->torus) + "), " +
                                the_ball.name + " a ball; morph rings into rings and balls into balls");
    }
    return {};
}

// Draws each frame, meshing a morph's anew, and hands it to the outputs;
// a bar on a terminal shows how far it is.
int draw_every_frame(const Frames& frames, const Animate_options& options, const std::vector<scene::Framing>& framings,
                     Meshed_shape& meshed, offscreen::Renderer& renderer, Outputs& outputs, Console& console)
{
    const bool solid = !options.wire;
    Progress progress(console.err, console.err_is_terminal && !options.inputs.quiet, std::size_t(options.frames), true);
    const auto stop = [&progress](const Status& why) {
        progress.stop(why.message);
        return exit_status_of(why);
    };
    offscreen::Image picture;
    Tparams shown = frames.params(frames.plan(0));
    // A turntable's mesh stays, and so does its lit surface.
    mesh::Lit_surface lit;
    if (frames.turntable() && solid)
        mesh::light(meshed.view(), lit);
    for (int frame = 0; frame < options.frames; ++frame) {
        const animation::Frame_plan plan = frames.plan(frame);
        if (!frames.turntable()) {
            shown = frames.params(plan);
            if (const Status made = meshed.make(shown, mesh_kind(solid)); !made.ok())
                return stop(runtime::failure(made.kind, frames.name(frame, plan), made.message));
        }
        const offscreen::Picture_options drawn_as{options.width,
                                                  options.height,
                                                  static_cast<float>(plan.turn),
                                                  options.transparent,
                                                  framings[std::size_t(frame)],
                                                  options.tilt};
        offscreen::Model model = model_of(meshed, shown, solid);
        model.lit = lit.normals.empty() ? nullptr : &lit;
        if (const Status drawn = renderer.picture(model, drawn_as, picture); !drawn.ok())
            return stop(runtime::failure(drawn.kind, frames.name(frame, plan), drawn.message));
        if (outputs.writer)
            if (const Status added =
                    outputs.writer->add({picture.rgb.data(), picture.alpha.empty() ? nullptr : picture.alpha.data()});
                !added.ok())
                return stop(runtime::failure(added.kind, options.output, added.message));
        if (!outputs.frames_dir.empty())
            if (const Status written = write_png(frame_path(outputs.frames_dir, frame), picture); !written.ok())
                return stop(written);
        progress.done("", false);
    }
    return exit_success;
}

// The most frames a second any animated format holds.
int max_fps()
{
    int most = 1;
    for (const animation::Format_row& row : animation::formats)
        most = std::max(most, row.max_fps);
    return most;
}

void add_animate_flags(CLI::App& command, Animate_options& options)
{
    add_shape_inputs(command, options.inputs);
    std::string formats;
    for (const animation::Format_row& row : animation::formats)
        formats += (formats.empty() ? "" : ", ") + std::string(row.title) + " (." + row.extension + ", at most " +
                   std::to_string(row.max_fps) + " fps)";
    add_path_flag(command, "-o,--output", options.output,
                  "the animation, looping forever, its format from the extension: " + formats +
                      "; GIF gives each frame a palette of its own, without dithering; MP4 is H.264 video in "
                      "yuv420p (BT.709, limited range), its sides even, its index first so that it plays while it "
                      "loads, and loops where the player loops it" +
                      output_rules,
                  "FILE");
    add_path_flag(command, "--frames-dir", options.frames_dir,
                  "a folder, made when missing, for the frames as PNG files frame_0001.png, frame_0002.png ..., "
                  "each written whole; not a dangling link. Once they are, older frames beyond them there are "
                  "removed (files and links, never a link's file) and counted in the summary",
                  "DIR");
    add_value_flag(
        command, "--frames", "the animation's frames, 1.." + std::to_string(max_frames) + " (default 60)", "N",
        [&options](const std::string& text) { options.frames = whole_number("--frames", text, 1, max_frames); });
    add_value_flag(command, "--fps", "frames a second, 1.." + std::to_string(max_fps()) + " (default 30)", "F",
                   [&options](const std::string& text) { options.fps = whole_number("--fps", text, 1, max_fps()); });
    add_size_flag(command, "size", options.width, options.height, 1, offscreen::Picture_options::max_side,
                  "the frames' size in pixels (default 480x480)");
    command.add_flag("--wire", options.wire, "draw the editor's wire strip instead of the lit closed mesh");
    add_tilt_flag(command, options.tilt);
    add_transparent_flag(command, options.transparent);
    add_value_flag(command, "--quality",
                   "lossy WebP's quality, 0..100 (default " + std::to_string(Animate_options::default_quality) +
                       "), or MP4's: H.264's quantiser from 51 at 0 to 10 at 100, evenly between",
                   "Q",
                   [&options](const std::string& text) { options.quality = whole_number("--quality", text, 0, 100); });
    command.add_flag("--lossless", options.lossless, "write WebP without loss: larger, every pixel kept");
    command.add_flag("--loop", options.loop, "morph back to the first shape at the end");
    add_turn_flag(command,
                  "turn a morph by DEG degrees about its up axis in each leg; with --loop, whole circles in all",
                  [&options](float degrees) { options.turn = degrees; });
}

} // namespace

int animate(const Animate_options& options, Console& console)
{
    const animation::Format_row* format = nullptr;
    Output_request request{Output_request::Kind::one_for_all, options.output, "", "", refused_outputs(options, format)};
    // The frames and their folder are kept off the inputs and the animation.
    request.also_written = frame_paths(options);
    if (!options.frames_dir.empty())
        request.also_written.push_back(options.frames_dir);
    Batch batch;
    if (const std::optional<int> stopped = start_batch("animate", options.inputs, request, console, batch))
        return *stopped;
    int status = exit_success;
    for (const Named_shape& shape : batch.shapes)
        if (!shape.params) {
            report(console, shape.status.message);
            status = worse(status, exit_status_of(shape.status));
        }
    if (status != exit_success)
        return status;
    const Frames frames(batch.shapes, options);
    if (frames.turntable() && (options.loop || options.turn))
        return usage_error(console, "animate: --loop and --turn are for a morph: name two shapes or more");
    if (options.loop && options.turn && !animation::loop_closes(frames.shapes(), *options.turn)) {
        const double legs = double(frames.shapes());
        return usage_error(console, "animate: --loop --turn " + params::shortest_text(*options.turn) + " turns " +
                                        params::shortest_text(float(*options.turn * legs)) + " degrees over " +
                                        std::to_string(frames.shapes()) +
                                        " legs, which leaves a jump at the seam; give a multiple of " +
                                        params::shortest_text(float(360.0 / legs)) + ", or leave out --loop");
    }
    if (const Status blendable = one_kind_a_leg(batch.shapes, options.loop); !blendable.ok()) {
        report(console, blendable.message);
        return exit_status_of(blendable);
    }

    // Every frame is meshed and framed before anything is written.
    Meshed_shape meshed;
    std::vector<scene::Framing> framings;
    if (const Status meshable = frame_every_frame(frames, options, meshed, framings); !meshable.ok()) {
        report(console, meshable.message);
        return exit_status_of(meshable);
    }

    // Every output is made before the context opens, so that one that cannot
    // be written never loads a driver.
    Outputs outputs;
    if (format) {
        outputs.file = std::make_unique<output::Atomic_file>(options.output);
        if (!outputs.file->status().ok()) {
            report(console, outputs.file->status().message);
            return exit_output_failed;
        }
        const animation::Options written{options.width,    options.height,
                                         options.fps,      options.transparent,
                                         options.lossless, options.quality.value_or(Animate_options::default_quality)};
        Status opened;
        outputs.writer = format->open(outputs.file->stream(), written, opened);
        if (!outputs.writer)
            return failed(console, options.output, opened);
    }
    const fs::path made_from = first_missing(options.frames_dir);
    if (!options.frames_dir.empty()) {
        if (const Status made = make_folder(options.frames_dir); !made.ok()) {
            report(console, made.message);
            return exit_output_failed;
        }
        outputs.frames_dir = options.frames_dir;
        if (const std::optional<int> refused = refuse_unmakeable(frame_paths(options), console)) {
            remove_made(options.frames_dir, made_from);
            return *refused;
        }
    }
    offscreen::Renderer renderer;
    if (!open_renderer(renderer, console)) {
        remove_made(options.frames_dir, made_from);
        return exit_output_failed;
    }
    if (const int drawn = draw_every_frame(frames, options, framings, meshed, renderer, outputs, console);
        drawn != exit_success)
        return drawn;
    if (outputs.writer) {
        if (const Status finished = outputs.writer->finish(); !finished.ok())
            return failed(console, options.output, finished);
        outputs.writer.reset();
        if (const Status committed = outputs.file->commit(); !committed.ok()) {
            report(console, committed.message);
            return exit_output_failed;
        }
    }
    // Older frames beyond these go only once the new animation is whole.
    const int removed = options.frames_dir.empty() ? 0 : remove_older_frames(options.frames_dir, options.frames);
    if (!options.inputs.quiet)
        console.err << runtime::one_line(summary(options, removed)) << '\n' << std::flush;
    return exit_success;
}

const Command_row animate_command{
    "animate",
    [] {
        return std::string(
            "Draw an animation without a display: one shape turning a full circle about its up axis, or a "
            "morph through several shapes in order, each leg eased in and out, every parameter blended (both sets, "
            "the colour; a, b and n1 through their reciprocals; counts rounded). Each shape is framed as render "
            "frames it, and the framing between them eased as the shapes are, zoomed out while a blend outgrows "
            "it. A frame that cannot be meshed refuses the whole animation before anything is written.");
    },
    "Examples:\n  shapetool animate shapes/star.bas -o star.webp\n"
    "  shapetool animate bud.bas lemon.bas --loop --turn 180 -o morph.gif\n"
    "  shapetool animate shapes/star.bas --wire --frames 120 --frames-dir frames\n",
    [](CLI::App& command, Command_line& line) { add_animate_flags(command, line.animate); },
    [](const Command_line& line, Console& console) { return animate(line.animate, console); }};

} // namespace shapetool
