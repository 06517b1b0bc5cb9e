#include "tool/shapes.h"

#include "output/atomic_file.h"
#include "snippet/snippet.h"
#include "tool/progress.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <ostream>
#include <set>

namespace shapetool {
namespace {

// The name a shape given by flags alone goes by in messages.
constexpr char flags_only_name[] = "(parameters)";
// ... and the stem of its output in a folder.
constexpr char flags_only_stem[] = "supershape";

// Why the outputs cannot all be written: two that share a name, or one that
// would replace an input. Empty when they can.
std::string clashing_output(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs)
{
    std::error_code ignored;
    const auto same_file = [&](const std::string& path) { return std::filesystem::weakly_canonical(path, ignored); };
    std::set<std::filesystem::path> seen;
    for (const std::string& input : inputs)
        seen.insert(same_file(input));
    for (const std::string& output : outputs)
        if (!seen.insert(same_file(output)).second)
            return output + " would be written twice, or replace an input";
    return "";
}

} // namespace

std::vector<Named_shape> read_shapes(const Shape_inputs& inputs)
{
    std::vector<Named_shape> shapes;
    if (inputs.files.empty()) {
        Tparams params;
        set_start_values(params);
        inputs.flags.apply(params);
        shapes.push_back({flags_only_name, params, {}});
        return shapes;
    }
    for (const std::string& file : inputs.files) {
        Tparams params;
        const Status read = snippet::read_file(file, params);
        if (read.ok())
            inputs.flags.apply(params);
        shapes.push_back({file, read.ok() ? std::optional(params) : std::nullopt, read});
    }
    return shapes;
}

Status Meshed_shape::make(const Tparams& params, Kind kind)
{
    Status status;
    try {
        status = kind == Kind::raw ? mesh::build_raw_grid(params, mesh_) : mesh::build_closed_mesh(params, mesh_);
    } catch (const std::bad_alloc&) {
        mesh_ = {};
        status = runtime::refused("out of memory");
    }
    if (!status.ok())
        status.message = "cannot mesh: " + status.message;
    return status;
}

Status write_whole(const std::string& target, const std::function<Status(std::FILE*)>& write)
{
    output::Atomic_file file(target);
    if (file.status().ok())
        if (const Status written = write(file.stream()); !written.ok())
            return runtime::failure(written.kind, "cannot write " + target + ": " + written.message);
    return file.commit();
}

int worse(int first, int second)
{
    return std::max(first, second);
}

int write_each(const std::vector<Named_shape>& shapes, Meshed_shape::Kind kind,
               const std::vector<std::string>& outputs, Console& console, const Write_output& write)
{
    Progress progress(console.err, console.err_is_terminal, shapes.size());
    int status = exit_success;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const Named_shape& shape = shapes[i];
        Meshed_shape meshed;
        Status failed;
        if (!shape.params) {
            status = worse(status, exit_bad_input);
            progress.done(shape.status.message, true);
        } else if (!(failed = meshed.make(*shape.params, kind)).ok()) {
            status = worse(status, exit_bad_input);
            progress.done(shape.name + ": " + failed.message, true);
        } else if (!(failed = write(shape, meshed, outputs[i])).ok()) {
            status = worse(status, exit_output_failed);
            progress.done(failed.message, true);
        } else {
            progress.done(shape.name + " -> " + outputs[i] + ": " + grouped(meshed.view().triangle_count) +
                              " triangles",
                          false);
        }
    }
    return status;
}

int usage_error(Console& console, const std::string& message)
{
    console.err << "shapetool " << message << "\nRun with --help for more information.\n";
    return exit_usage;
}

std::string output_in(const std::string& folder, const std::string& stem, const std::string& extension)
{
    return (std::filesystem::path(folder) / (stem + "." + extension)).string();
}

std::vector<std::string> plan_outputs(const Shape_inputs& inputs, const std::string& output,
                                      const std::string& outdir, const std::string& extension,
                                      std::string& problem)
{
    std::vector<std::string> outputs;
    if (inputs.files.empty() && !inputs.flags.any()) {
        problem = "name snippet files or give parameter flags";
    } else if (!output.empty()) {
        if (inputs.files.size() > 1)
            problem = "-o names one output; give several shapes --outdir";
        outputs.push_back(output);
    } else if (!outdir.empty()) {
        for (const std::string& file : inputs.files)
            outputs.push_back(output_in(outdir, std::filesystem::path(file).stem().string(), extension));
        if (inputs.files.empty())
            outputs.push_back(output_in(outdir, flags_only_stem, extension));
    } else {
        problem = "give -o FILE, or --outdir DIR";
    }
    if (problem.empty())
        problem = clashing_output(inputs.files, outputs);
    return problem.empty() ? outputs : std::vector<std::string>{};
}

std::string grouped(std::size_t number)
{
    std::string digits = std::to_string(number);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

} // namespace shapetool
