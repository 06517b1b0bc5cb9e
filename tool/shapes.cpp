#include "tool/shapes.h"

#include "runtime/fatal_error.h"
#include "snippet/snippet.h"
#include "tool/progress.h"

#include <algorithm>
#include <cstring>
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
        shapes.push_back({flags_only_name, params, ""});
        return shapes;
    }
    for (const std::string& file : inputs.files) {
        snippet::Read_result read = snippet::read_file(file);
        if (read.params)
            inputs.flags.apply(*read.params);
        shapes.push_back({file, std::move(read.params), std::move(read.error)});
    }
    return shapes;
}

std::string Meshed_shape::make(const Tparams& params, Kind kind)
{
    try {
        mesh::reset_like_editor(shape_, params);
        const mesh::Status status = kind == Kind::raw ? mesh::raw_view(shape_, view_)
                                                      : mesh::build_closed_mesh(shape_, params.scale, closed_);
        if (!status.ok())
            return "cannot mesh: " + status.reason;
        if (kind == Kind::closed)
            view_ = closed_.view();
        return "";
    } catch (const runtime::Failure& failure) {
        return std::string("cannot mesh: ") + failure.what();
    } catch (const std::bad_alloc&) {
        return "cannot mesh: out of memory";
    }
}

std::string write_whole(const std::string& target, const std::function<int(std::FILE*)>& write)
{
    output::Atomic_file file(target);
    if (file.status().ok())
        if (const int error = write(file.stream()))
            return "cannot write " + target + ": " + std::strerror(error);
    return file.commit().message;
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
        std::string reason;
        if (!shape.params) {
            status = worse(status, exit_bad_input);
            progress.done(shape.error, true);
        } else if (!(reason = meshed.make(*shape.params, kind)).empty()) {
            status = worse(status, exit_bad_input);
            progress.done(shape.name + ": " + reason, true);
        } else if (!(reason = write(shape, meshed, outputs[i])).empty()) {
            status = worse(status, exit_output_failed);
            progress.done(reason, true);
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
