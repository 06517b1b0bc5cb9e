// shapetool render: a PNG of each shape as the editor draws it, drawn off
// screen without a display.
#include "tool/render_command.h"

#include "offscreen/renderer.h"
#include "tool/batch.h"
#include "tool/command_line.h"
#include "tool/flags.h"
#include "tool/pictures.h"
#include "tool/write_output.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace shapetool {
namespace {

void add_render_flags(CLI::App& command, Render_options& options)
{
    add_shape_inputs(command, options.inputs);
    CLI::Option* picture = add_path_flag(command, "-o,--output", options.output,
                                         "the PNG file, for one shape, or - for standard output" + output_rules,
                                         "FILE");
    CLI::Option* pictures =
        add_path_flag(command, "--outdir", options.outdir,
                      "the folder, made when missing, for one PNG file per shape; not a dangling link", "DIR");
    picture->excludes(pictures);
    add_size_flag(command, "size", options.width, options.height, 1, offscreen::Picture_options::max_side,
                  "the picture's size in pixels (default 640x480)");
    command.add_flag("--solid", options.solid, "draw the closed mesh as a lit surface");
    add_turn_flag(command, options.turn);
    add_tilt_flag(command, options.tilt);
    add_transparent_flag(command, options.transparent);
}

} // namespace

int render(const Render_options& options, Console& console)
{
    const Output_request request{Output_request::Kind::each_shape, options.output, options.outdir, png_extension,
                                 refused_png(options.output, console)};
    Batch batch;
    if (const std::optional<int> stopped = start_batch("render", options.inputs, request, console, batch))
        return *stopped;
    // Without a shape to draw, each refusal is said without a renderer.
    offscreen::Renderer renderer;
    if (std::any_of(batch.shapes.begin(), batch.shapes.end(),
                    [](const Named_shape& shape) { return shape.params.has_value(); }) &&
        !open_renderer(renderer, console))
        return exit_output_failed;
    return write_each(
        batch.shapes, mesh_kind(options.solid), batch.outputs, options.inputs.quiet, console,
        [&](Named_shape& shape, Meshed_shape& meshed, const std::string& output, Written& written) {
            offscreen::Image picture;
            const offscreen::Picture_options drawn_as{options.width,       options.height, options.turn,
                                                      options.transparent, std::nullopt,   options.tilt};
            const Status drawn = renderer.picture(model_of(meshed, *shape.params, options.solid), drawn_as, picture);
            written.summary = std::to_string(picture.width) + " x " + std::to_string(picture.height) + " pixels";
            return drawn.ok() ? write_png(output, picture)
                              : runtime::failure(drawn.kind, shape.name + ": " + drawn.message);
        });
}

const Command_row render_command{
    "render",
    [] { return std::string("Draw each shape as the editor does, in its colour on black, into a PNG file."); },
    "Examples:\n  shapetool render shapes/star.bas -o star.png --size 1280x960\n"
    "  shapetool render shapes --outdir pictures --solid --turn 30\n",
    [](CLI::App& command, Command_line& line) { add_render_flags(command, line.render); },
    [](const Command_line& line, Console& console) { return render(line.render, console); }};

} // namespace shapetool
