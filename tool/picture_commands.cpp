// The picture commands: a PNG of each shape as the editor draws it, or one
// contact sheet of many, drawn off screen without a display.
#include "tool/commands.h"

#include "offscreen/png.h"
#include "offscreen/renderer.h"
#include "tool/progress.h"
#include "tool/shapes.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

namespace shapetool {
namespace {

namespace fs = std::filesystem;

// The wire strip of the editor's own grid, or the closed mesh as a surface.
Meshed_shape::Kind mesh_kind(bool solid)
{
    return solid ? Meshed_shape::Kind::closed : Meshed_shape::Kind::wire;
}

offscreen::Model model_of(const Meshed_shape& meshed, const Tparams& params, bool solid)
{
    offscreen::Model model;
    model.mesh = meshed.view();
    model.style = solid ? offscreen::Model::Style::solid : offscreen::Model::Style::wire;
    std::copy(params.color, params.color + 4, model.color);
    return model;
}

Status write_png(const std::string& target, const offscreen::Image& image)
{
    return write_output(target, [&image](std::FILE* out) {
        const std::vector<std::uint8_t> png = offscreen::encode_png(image);
        if (png.empty())
            return runtime::failure(Status::Kind::cannot_write, "the picture could not be encoded");
        errno = 0;
        if (std::fwrite(png.data(), 1, png.size(), out) != png.size() || std::fflush(out) != 0)
            return runtime::failure(Status::Kind::cannot_write, std::strerror(errno != 0 ? errno : EIO));
        return Status{};
    });
}

// Why `output` cannot take a picture, as a usage error; empty when it can.
std::string refused_output(const std::string& output, const Console& console)
{
    if (output == standard_stream)
        return console.out_is_terminal
                   ? "a PNG file is binary; redirect standard output to a file or a pipe, or give -o FILE.png"
                   : "";
    std::string extension = fs::path(output).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".png" ? "" : "-o must name a .png file, or - for standard output";
}

// Starts the renderer; false after saying why it cannot.
bool open_renderer(offscreen::Renderer& renderer, Console& console)
{
    const Status opened = renderer.open();
    if (!opened.ok())
        report(console, "cannot draw: " + opened.message);
    return opened.ok();
}

// What a gallery cell says in place of a shape that is not drawn.
const char* cell_text(const Named_shape& shape)
{
    if (!shape.params)
        return shape.status.kind == Status::Kind::refused ? "not a snippet" : "cannot read";
    return "cannot mesh";
}

} // namespace

int render(const Render_options& options, Console& console)
{
    if (options.inputs.files.empty() && !options.inputs.flags.any())
        return usage_error(console, "render: name snippet files or folders, or give parameter flags");
    if (const std::string problem = options.output.empty() ? "" : refused_output(options.output, console);
        !problem.empty())
        return usage_error(console, "render: " + problem);
    std::vector<Named_shape> shapes = find_shapes(options.inputs);
    std::string problem;
    const std::vector<std::string> outputs = plan_outputs(shapes, options.output, options.outdir, "png", problem);
    if (!problem.empty())
        return usage_error(console, "render: " + problem);
    read_shapes(shapes, options.inputs.flags);
    if (!options.outdir.empty())
        if (const Status made = make_folder(options.outdir); !made.ok()) {
            report(console, made.message);
            return exit_output_failed;
        }
    offscreen::Renderer renderer;
    if (!open_renderer(renderer, console))
        return exit_output_failed;
    return write_each(shapes, mesh_kind(options.solid), outputs, options.inputs.quiet, console,
                      [&](Named_shape& shape, Meshed_shape& meshed, const std::string& output, std::string& summary) {
                          offscreen::Image picture;
                          const Status drawn = renderer.picture(model_of(meshed, *shape.params, options.solid),
                                                                {options.width, options.height, options.turn}, picture);
                          summary = std::to_string(picture.width) + " x " + std::to_string(picture.height) + " pixels";
                          return drawn.ok() ? write_png(output, picture)
                                            : runtime::failure(drawn.kind, shape.name + ": " + drawn.message);
                      });
}

int gallery(const Gallery_options& options, Console& console)
{
    if (const std::string problem = refused_output(options.output, console); !problem.empty())
        return usage_error(console, "gallery: " + problem);
    if (options.inputs.files.empty() && !options.inputs.flags.any())
        return usage_error(console, "gallery: name snippet files or folders");
    std::vector<Named_shape> shapes = find_shapes(options.inputs);
    offscreen::Sheet_layout layout;
    const offscreen::Gallery_options sheet_options{options.columns, options.thumb_width, options.thumb_height,
                                                   options.turn};
    if (const Status laid = offscreen::layout_sheet(static_cast<int>(shapes.size()), sheet_options, layout);
        !laid.ok())
        return usage_error(console, "gallery: " + laid.message + "; give fewer shapes, more --columns or a smaller --thumb");
    read_shapes(shapes, options.inputs.flags);
    int status = exit_success;
    if (std::none_of(shapes.begin(), shapes.end(), [](const Named_shape& shape) { return shape.params.has_value(); })) {
        for (const Named_shape& shape : shapes)
            report(console, shape.status.message);
        report(console, options.output + ": not written, as no snippet could be read");
        return exit_bad_input;
    }

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
                                      : runtime::cannot_draw("cannot draw the sheet: " + drawn.message);
    if (!written.ok()) {
        report(console, written.message);
        return exit_output_failed;
    }
    return status;
}

} // namespace shapetool
