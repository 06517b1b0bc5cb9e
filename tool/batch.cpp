#include "tool/batch.h"

#include "output/atomic_file.h"

#include <filesystem>
#include <set>
#include <sys/stat.h>

namespace shapetool {
namespace {

namespace fs = std::filesystem;

// What names a file: its device and inode once it exists, so that a link or
// another spelling of an input is that input; otherwise its path made whole.
std::string identity(const std::string& path)
{
    struct stat existing;
    if (stat(path.c_str(), &existing) == 0)
        return std::to_string(existing.st_dev) + ":" + std::to_string(existing.st_ino);
    std::error_code ignored;
    return fs::weakly_canonical(path, ignored).string();
}

// The files an output writes: itself and its companion, when its format has
// one; none for standard output.
std::vector<std::string> files_of(const std::string& output, const Output_request& request)
{
    if (output.empty() || output == standard_stream)
        return {};
    if (request.format && request.format->companion.extension)
        return {file_export::companion_path(output, *request.format), output};
    return {output};
}

// Why the outputs cannot all be written: two that share a file or folder,
// or one (a companion, a frame) that would replace an input. Empty when
// they can.
std::string clashing_output(const std::vector<Named_shape>& shapes, const std::vector<std::string>& outputs,
                            const Output_request& request)
{
    std::set<std::string> seen;
    for (const Named_shape& shape : shapes)
        if (!shape.path.empty() && shape.path != standard_stream)
            seen.insert(identity(shape.path));
    std::vector<std::string> written = request.also_written;
    if (!request.outdir.empty())
        written.push_back(request.outdir);
    for (const std::string& output : outputs)
        for (const std::string& file : files_of(output, request))
            written.push_back(file);
    for (const std::string& file : written)
        if (!seen.insert(identity(file)).second)
            return file + " would be written twice, or replace an input; give each output its own name";
    return "";
}

std::vector<std::string> plan_outputs(const std::vector<Named_shape>& shapes, const Output_request& request,
                                      std::string& problem)
{
    std::vector<std::string> outputs;
    if (request.kind == Output_request::Kind::none)
        return outputs;
    if (request.kind == Output_request::Kind::one_for_all || !request.output.empty()) {
        if (request.kind == Output_request::Kind::each_shape && shapes.size() > 1)
            problem = "-o names one output, and " + std::to_string(shapes.size()) +
                      " shapes are given; give --outdir DIR for one output each";
        outputs.push_back(request.output);
    } else if (!request.outdir.empty()) {
        // A shape refused already gets no output, so that it clashes with none.
        for (const Named_shape& shape : shapes)
            outputs.push_back(
                shape.status.ok() ? (fs::path(request.outdir) / (shape.stem + "." + request.extension)).string() : "");
    } else {
        problem = "say where to write: -o FILE for one shape, or --outdir DIR for one file each";
    }
    if (problem.empty())
        problem = clashing_output(shapes, outputs, request);
    return problem.empty() ? outputs : std::vector<std::string>{};
}

} // namespace

std::optional<int> refuse_unmakeable(const std::vector<std::string>& files, Console& console)
{
    for (const std::string& file : files)
        if (file != standard_stream)
            if (const Status made = output::can_create(file); !made.ok()) {
                report(console, made.message);
                return exit_output_failed;
            }
    return std::nullopt;
}

Status make_folder(const std::string& folder)
{
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(folder, error)) && !fs::exists(folder, error))
        return runtime::failure(Status::Kind::cannot_create, folder, "a dangling symbolic link");
    fs::create_directories(folder, error);
    return error ? runtime::failure(Status::Kind::cannot_create, folder, error.message()) : Status{};
}

std::optional<int> start_batch(const char* command, const Shape_inputs& inputs, const Output_request& request,
                               Console& console, Batch& batch)
{
    const std::string named = std::string(command) + ": ";
    if (inputs.files.empty() && !inputs.flags.any())
        return usage_error(console, named + "name snippet files or folders, or give parameter flags");
    if (!request.refused.empty())
        return usage_error(console, named + request.refused);
    batch.shapes = find_shapes(inputs);
    std::string problem;
    batch.outputs = plan_outputs(batch.shapes, request, problem);
    if (!problem.empty())
        return usage_error(console, named + problem);
    read_shapes(batch.shapes, inputs.flags);
    if (!request.outdir.empty())
        if (const Status made = make_folder(request.outdir); !made.ok()) {
            report(console, made.message);
            return exit_output_failed;
        }
    // Each shape's output is tried before any is written, so that a command
    // whose outputs all fail never starts a renderer.
    if (request.kind == Output_request::Kind::each_shape)
        for (std::size_t i = 0; i < batch.shapes.size(); ++i)
            for (const std::string& file : files_of(batch.outputs[i], request))
                if (Named_shape& shape = batch.shapes[i]; shape.params)
                    if (Status made = output::can_create(file); !made.ok()) {
                        shape.params.reset();
                        shape.status = std::move(made);
                    }
    return std::nullopt;
}

} // namespace shapetool
