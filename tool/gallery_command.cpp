// shapetool gallery: one contact sheet of many shapes, drawn off screen
// without a display.
#include "tool/gallery_command.h"

#include "offscreen/renderer.h"
#include "tool/batch.h"
#include "tool/command_line.h"
#include "tool/flags.h"
#include "tool/pictures.h"
#include "tool/progress.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace shapetool {
namespace {

namespace fs = std::filesystem;

constexpr int max_columns = 1000;

// What a gallery cell says in place of a shape that is not drawn.
const char* cell_text(const Named_shape& shape)
{
    if (!shape.params)
        return shape.status.kind == Status::Kind::refused ? "not a snippet" : "cannot read";
    return "cannot mesh";
}

void add_gallery_flags(CLI::App& command, Gallery_options& options)
{
    add_shape_inputs(command, options.inputs);
    add_path_flag(command, "-o,--output", options.output, "the PNG file, or - for standard output" + output_rules,
                  "FILE")
        ->required();
    add_value_flag(
        command, "--columns", "thumbnails a row, 1..1000 (default: about as many as rows)", "N",
        [&options](const std::string& text) { options.columns = whole_number("--columns", text, 1, max_columns); });
    add_size_flag(command, "thumb", options.thumb_width, options.thumb_height, offscreen::Sheet_layout::min_thumb_side,
                  offscreen::Sheet_layout::max_thumb_side, "each thumbnail's size in pixels (default 160x120)");
    command.add_flag("--solid", options.solid, "draw closed meshes as lit surfaces");
    add_turn_flag(command, options.turn);
    add_tilt_flag(command, options.tilt);
}

} // namespace

int gallery(const Gallery_options& options, Console& console)
{
    const Output_request request{Output_request::Kind::one_for_all, options.output, "", png_extension,
                                 refused_png(options.output, console)};
    Batch batch;
    if (const std::optional<int> stopped = start_batch("gallery", options.inputs, request, console, batch))
        return *stopped;
    std::vector<Named_shape>& shapes = batch.shapes;
    offscreen::Sheet_layout layout;
    const offscreen::Gallery_options sheet_options{options.columns, options.thumb_width, options.thumb_height,
                                                   options.turn, options.tilt};
    if (const Status laid = offscreen::layout_sheet(static_cast<int>(shapes.size()), sheet_options, layout); !laid.ok())
        return usage_error(console,
                           "gallery: " + laid.message + "; give fewer shapes, more --columns or a smaller --thumb");
    int status = exit_success;
    if (std::none_of(shapes.begin(), shapes.end(), [](const Named_shape& shape) { return shape.params.has_value(); })) {
        for (const Named_shape& shape : shapes)
            report(console, shape.status.message);
        report(console, options.output + ": not written, as no snippet could be read");
        return exit_bad_input;
    }
    if (const std::optional<int> refused = refuse_unmakeable({options.output}, console))
        return *refused;

    offscreen::Renderer renderer;
    if (!open_renderer(renderer, console))
        return exit_output_failed;
    const bool quiet = options.inputs.quiet;
    Progress progress(console.err, console.err_is_terminal && !quiet, shapes.size(), quiet);
    // One shape at a time: the sheet asks for each once, in order.
    auto meshed = std::make_unique<Meshed_shape>();
    const auto source = [&](int index, offscreen::Gallery_entry& entry) {
        const Named_shape& shape = shapes[static_cast<std::size_t>(index)];
        entry.name = fs::path(shape.name).filename().string();
        Status problem = shape.status;
        if (shape.params) {
            meshed = std::make_unique<Meshed_shape>();
            problem = meshed->make(*shape.params, mesh_kind(options.solid));
            if (!problem.ok())
                problem.message = shape.name + ": " + problem.message;
        }
        if (problem.ok())
            entry.model = model_of(*meshed, *shape.params, options.solid);
        else
            entry.failure = cell_text(shape);
        status = worse(status, exit_status_of(problem));
        progress.done(problem.ok() ? shape.name + ": drawn" : problem.message, !problem.ok());
        return Status{};
    };
    offscreen::Image sheet;
    const Status drawn = renderer.gallery(static_cast<int>(shapes.size()), source, sheet_options, sheet);
    const Status written = drawn.ok() ? write_png(options.output, sheet)
                                      : runtime::failure(Status::Kind::cannot_draw, options.output, drawn.message);
    if (!written.ok()) {
        report(console, written.message);
        return exit_output_failed;
    }
    return status;
}

const Command_row gallery_command{
    "gallery",
    [] { return std::string("Draw one contact sheet: a thumbnail per snippet, each with its file name under it."); },
    "Examples:\n  shapetool gallery shapes -o gallery.png --columns 4 --solid\n",
    [](CLI::App& command, Command_line& line) { add_gallery_flags(command, line.gallery); },
    [](const Command_line& line, Console& console) { return gallery(line.gallery, console); }};

} // namespace shapetool
