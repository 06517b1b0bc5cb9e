// The picture commands: a PNG of each shape as the editor draws it, or one
// contact sheet of many, drawn off screen without a display.
#include "tool/commands.h"

#include "offscreen/png.h"
#include "tool/pictures.h"
#include "tool/progress.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

namespace shapetool {
namespace {

namespace fs = std::filesystem;

constexpr char png_extension[] = "png";

// What a gallery cell says in place of a shape that is not drawn.
const char* cell_text(const Named_shape& shape)
{
    if (!shape.params)
        return shape.status.kind == Status::Kind::refused ? "not a snippet" : "cannot read";
    return "cannot mesh";
}

} // namespace

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

bool open_renderer(offscreen::Renderer& renderer, Console& console)
{
    offscreen::keep_freed_memory();
    const Status opened = renderer.open();
    if (!opened.ok())
        report(console, runtime::describe(opened.kind, opened.message));
    return opened.ok();
}

int render(const Render_options& options, Console& console)
{
    const Output_request request{Output_request::Kind::each_shape,
                                 options.output,
                                 options.outdir,
                                 png_extension,
                                 [&] { return refused_png(options.output, console); },
                                 {}};
    Batch batch;
    if (const std::optional<int> stopped = start_batch("render", options.inputs, request, console, batch))
        return *stopped;
    offscreen::Renderer renderer;
    if (!open_renderer(renderer, console))
        return exit_output_failed;
    return write_each(
        batch.shapes, mesh_kind(options.solid), batch.outputs, options.inputs.quiet, console,
        [&](Named_shape& shape, Meshed_shape& meshed, const std::string& output, Written& written) {
            offscreen::Image picture;
            const Status drawn = renderer.picture(model_of(meshed, *shape.params, options.solid),
                                                  {options.width, options.height, options.turn, options.transparent},
                                                  picture);
            written.summary = std::to_string(picture.width) + " x " + std::to_string(picture.height) + " pixels";
            return drawn.ok() ? write_png(output, picture)
                              : runtime::failure(drawn.kind, shape.name + ": " + drawn.message);
        });
}

int gallery(const Gallery_options& options, Console& console)
{
    const Output_request request{Output_request::Kind::one_for_all,
                                 options.output,
                                 "",
                                 png_extension,
                                 [&] { return refused_png(options.output, console); },
                                 {}};
    Batch batch;
    if (const std::optional<int> stopped = start_batch("gallery", options.inputs, request, console, batch))
        return *stopped;
    std::vector<Named_shape>& shapes = batch.shapes;
    offscreen::Sheet_layout layout;
    const offscreen::Gallery_options sheet_options{options.columns, options.thumb_width, options.thumb_height,
                                                   options.turn};
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

} // namespace shapetool
