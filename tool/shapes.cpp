#include "tool/shapes.h"

#include "output/atomic_file.h"
#include "runtime/text.h"
#include "snippet/snippet.h"
#include "tool/progress.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>
#include <ostream>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace shapetool {
namespace {

namespace fs = std::filesystem;

// What messages call standard input and a shape from the flags alone ...
constexpr char standard_input_name[] = "standard input";
constexpr char standard_output_name[] = "standard output";
constexpr char flags_only_name[] = "(parameters)";
// ... and their outputs' name in a folder.
constexpr char default_stem[] = "supershape";

constexpr char snippet_extension[] = "bas";

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

// Why the outputs cannot all be written: two that share a file, or one (or
// its companion) that would replace an input. Empty when they can.
std::string clashing_output(const std::vector<Named_shape>& shapes, const std::vector<std::string>& outputs,
                            const Output_request& request)
{
    std::set<std::string> seen;
    for (const Named_shape& shape : shapes)
        if (!shape.path.empty() && shape.path != standard_stream)
            seen.insert(identity(shape.path));
    for (const std::string& output : outputs) {
        if (output.empty() || output == standard_stream)
            continue;
        std::vector<std::string> written{output};
        if (request.companion)
            written.push_back(request.companion(output));
        for (const std::string& file : written)
            if (!seen.insert(identity(file)).second)
                return file + " would be written twice, or replace an input; give each output its own name";
    }
    return "";
}

std::vector<Named_shape> find_shapes(const Shape_inputs& inputs)
{
    std::vector<Named_shape> shapes;
    if (inputs.files.empty())
        shapes.push_back({"", flags_only_name, default_stem, {}, {}});
    for (const std::string& input : inputs.files) {
        std::error_code error;
        if (input == standard_stream) {
            shapes.push_back({input, standard_input_name, default_stem, {}, {}});
        } else if (fs::is_directory(input, error)) {
            std::vector<std::string> found;
            std::error_code unknown_type; // an entry of unknown type is left out, not the folder
            for (const fs::directory_entry& entry : fs::directory_iterator(input, error))
                if (runtime::extension_of(entry.path().string()) == snippet_extension &&
                    entry.is_regular_file(unknown_type))
                    found.push_back(entry.path().string());
            std::sort(found.begin(), found.end());
            if (error)
                shapes.push_back(
                    {input, input, input, {}, runtime::failure(Status::Kind::unreadable, input, error.message())});
            else if (found.empty())
                shapes.push_back({input, input, input, {}, runtime::refused(input + ": no .bas files in this folder")});
            for (const std::string& file : found)
                shapes.push_back({file, file, fs::path(file).stem().string(), {}, {}});
        } else {
            shapes.push_back({input, input, fs::path(input).stem().string(), {}, {}});
        }
    }
    return shapes;
}

void read_shapes(std::vector<Named_shape>& shapes, const Parameter_flags& flags)
{
    bool standard_input_read = false;
    for (Named_shape& shape : shapes) {
        if (!shape.status.ok())
            continue;
        Tparams params;
        if (shape.path.empty()) {
            set_start_values(params);
        } else if (shape.path == standard_stream) {
            shape.status = standard_input_read ? runtime::refused("standard input: named more than once")
                                               : snippet::read_descriptor(STDIN_FILENO, shape.name, params);
            standard_input_read = true;
        } else {
            shape.status = snippet::read_file(shape.path, params);
        }
        if (shape.status.ok()) {
            flags.apply(params);
            shape.params = params;
        }
    }
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
    if (request.refused)
        if (const std::string problem = request.refused(); !problem.empty())
            return usage_error(console, named + problem);
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
    return std::nullopt;
}

Status Meshed_shape::make(const Tparams& params, Kind kind)
{
    Status status;
    try {
        switch (kind) {
        case Kind::wire: status = mesh::build_wire_grid(params, mesh_); break;
        case Kind::raw: status = mesh::build_raw_grid(params, mesh_); break;
        case Kind::closed: status = mesh::build_closed_mesh(params, mesh_, grid_); break;
        case Kind::none: break;
        }
    } catch (const std::bad_alloc&) {
        mesh_ = {};
        grid_ = {};
        status = runtime::refused("out of memory");
    }
    if (!status.ok())
        status.message = "cannot mesh: " + status.message;
    return status;
}

Status write_output(const std::string& target, const std::function<Status(std::FILE*)>& write)
{
    if (target == standard_stream) {
        const Status written = write(stdout);
        if (written.ok())
            return written;
        // Reported here, and not again when the program ends.
        std::clearerr(stdout);
        return runtime::failure(written.kind, standard_output_name, written.message);
    }
    output::Atomic_file file(target);
    if (file.status().ok())
        if (const Status written = write(file.stream()); !written.ok())
            return runtime::failure(written.kind, target, written.message);
    return file.commit();
}

int exit_status_of(const Status& status)
{
    if (status.ok())
        return exit_success;
    const bool input = status.kind == Status::Kind::refused || status.kind == Status::Kind::unreadable;
    return input ? exit_bad_input : exit_output_failed;
}

int worse(int first, int second)
{
    return std::max(first, second);
}

int write_each(std::vector<Named_shape>& shapes, Meshed_shape::Kind kind, const std::vector<std::string>& outputs,
               bool quiet, Console& console, const Write_output& write)
{
    Progress progress(console.err, console.err_is_terminal && !quiet, shapes.size(), quiet);
    int status = exit_success;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        Named_shape& shape = shapes[i];
        Meshed_shape meshed;
        Status failed;
        Written written;
        if (!shape.params) {
            failed = shape.status;
        } else if (!(failed = meshed.make(*shape.params, kind)).ok()) {
            failed.message = shape.name + ": " + failed.message;
        } else {
            failed = write(shape, meshed, outputs[i], written);
        }
        status = worse(status, exit_status_of(failed));
        const std::string& output = outputs[i] == standard_stream ? standard_output_name : outputs[i];
        progress.done(failed.ok() ? shape.name + " -> " + output + ": " + written.summary : failed.message,
                      !failed.ok());
        if (failed.ok() && !written.notice.empty())
            progress.notice(written.notice);
    }
    return status;
}

std::string refused_png(const std::string& output, const Console& console)
{
    if (output == standard_stream)
        return console.out_is_terminal
                   ? "a PNG file is binary; redirect standard output to a file or a pipe, or give -o FILE.png"
                   : "";
    return output.empty() || runtime::extension_of(output) == "png"
               ? ""
               : "-o must name a .png file, or - for standard output";
}

void report(Console& console, const std::string& line)
{
    console.err << "shapetool: " << runtime::one_line(line) << '\n' << std::flush;
}

int usage_error(Console& console, const std::string& line)
{
    report(console, line);
    return exit_usage;
}

std::string grouped(std::size_t number)
{
    std::string digits = std::to_string(number);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

} // namespace shapetool
