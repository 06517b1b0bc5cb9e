// The picture commands: a PNG of each shape as the editor draws it, or one
// contact sheet of many, drawn off screen without a display.
#include "tool/commands.h"

#include "offscreen/png.h"
#include "output/atomic_file.h"
#include "offscreen/renderer.h"
#include "tool/progress.h"
#include "tool/shapes.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

namespace shapetool {
namespace {

namespace fs = std::filesystem;

// The wire strip of the editor's own shape, or the closed mesh as a surface.
Meshed_shape::Kind mesh_kind(bool solid)
{
    return solid ? Meshed_shape::Kind::closed : Meshed_shape::Kind::raw;
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
    const std::vector<std::uint8_t> png = offscreen::encode_png(image);
    if (png.empty())
        return runtime::failure(Status::Kind::cannot_write,
                                "cannot write " + target + ": the picture could not be encoded");
    return output::write_file(target, {reinterpret_cast<const char*>(png.data()), png.size()});
}

bool names_png(const std::string& path)
{
    std::string extension = fs::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".png";
}

// Starts the renderer; false after saying why it cannot.
bool open_renderer(offscreen::Renderer& renderer, Console& console)
{
    const Status opened = renderer.open();
    if (!opened.ok())
        console.err << "shapetool: cannot draw: " << opened.message << '\n';
    return opened.ok();
}

// The inputs with each folder replaced by its .bas files in name order; a
// folder without any is reported in `empty_folders`.
std::vector<std::string> snippet_files(const std::vector<std::string>& inputs, std::vector<std::string>& empty_folders)
{
    std::vector<std::string> files;
    for (const std::string& input : inputs) {
        std::error_code error;
        if (!fs::is_directory(input, error)) {
            files.push_back(input);
            continue;
        }
        std::vector<std::string> found;
        for (const fs::directory_entry& entry : fs::directory_iterator(input, error))
            if (entry.path().extension() == ".bas" && entry.is_regular_file(error))
                found.push_back(entry.path().string());
        std::sort(found.begin(), found.end());
        if (found.empty())
            empty_folders.push_back(input);
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

} // namespace

int render(const Render_options& options, Console& console)
{
    if (!options.output.empty() && !names_png(options.output))
        return usage_error(console, "render: -o must name a .png file");
    std::string problem;
    const std::vector<std::string> outputs =
        plan_outputs(options.inputs, options.output, options.outdir, "png", problem);
    if (!problem.empty())
        return usage_error(console, "render: " + problem);

    const std::vector<Named_shape> shapes = read_shapes(options.inputs);
    offscreen::Renderer renderer;
    if (!open_renderer(renderer, console))
        return exit_output_failed;
    return write_each(shapes, mesh_kind(options.solid), outputs, console,
                      [&](const Named_shape& shape, const Meshed_shape& meshed, const std::string& output) {
                          offscreen::Image picture;
                          const Status drawn = renderer.picture(model_of(meshed, *shape.params, options.solid),
                                                                {options.width, options.height, options.turn}, picture);
                          return drawn.ok() ? write_png(output, picture)
                                            : runtime::failure(drawn.kind, shape.name + ": " + drawn.message);
                      });
}

int gallery(const Gallery_options& options, Console& console)
{
    if (options.output.empty() || !names_png(options.output))
        return usage_error(console, "gallery: -o must name a .png file");
    std::vector<std::string> empty_folders;
    Shape_inputs inputs{snippet_files(options.inputs.files, empty_folders), options.inputs.flags};
    int status = exit_success;
    for (const std::string& folder : empty_folders) {
        console.err << folder << ": no .bas files in this folder\n";
        status = exit_bad_input;
    }
    if (inputs.files.empty() && !inputs.flags.any())
        return empty_folders.empty() ? usage_error(console, "gallery: name snippet files or folders") : status;

    const std::vector<Named_shape> shapes = read_shapes(inputs);
    offscreen::Renderer renderer;
    if (!open_renderer(renderer, console))
        return exit_output_failed;
    Progress progress(console.err, console.err_is_terminal, shapes.size());
    // One shape at a time: the sheet asks for each once, in order.
    auto meshed = std::make_unique<Meshed_shape>();
    const auto source = [&](int index, offscreen::Gallery_entry& entry) {
        const Named_shape& shape = shapes[static_cast<std::size_t>(index)];
        entry.name = fs::path(shape.name).filename().string();
        std::string problem = shape.status.message;
        if (shape.params) {
            meshed = std::make_unique<Meshed_shape>();
            if (const Status meshing = meshed->make(*shape.params, mesh_kind(options.solid)); !meshing.ok())
                problem = shape.name + ": " + meshing.message;
        }
        if (!problem.empty()) {
            entry.failure = shape.params ? "cannot mesh" : "cannot read";
            status = worse(status, exit_bad_input);
        } else {
            entry.model = model_of(*meshed, *shape.params, options.solid);
        }
        progress.done(problem.empty() ? shape.name + ": drawn" : problem, !problem.empty());
        return Status{};
    };
    offscreen::Image sheet;
    const offscreen::Gallery_options layout{options.columns, options.thumb_width, options.thumb_height, options.turn};
    const Status drawn = renderer.gallery(static_cast<int>(shapes.size()), source, layout, sheet);
    const Status written =
        drawn.ok() ? write_png(options.output, sheet) : runtime::cannot_draw("cannot draw the sheet: " + drawn.message);
    if (!written.ok()) {
        console.err << written.message << '\n';
        return exit_output_failed;
    }
    return status;
}

} // namespace shapetool
