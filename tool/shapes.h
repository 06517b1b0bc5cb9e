// What every shapetool command does with its inputs: one start (check the
// command line names shapes, find the snippets, plan the outputs, read the
// shapes and apply the parameter flags, make the output folder), then mesh
// each shape as the editor's Reset builds it and write its output whole or
// not at all.
#pragma once

#include "mesh/closed_mesh.h"
#include "params/Tparams.h"
#include "runtime/status.h"
#include "tool/commands.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace shapetool {

using runtime::Status;

struct Named_shape {
    // The path as given: a snippet file, "-" for standard input, or empty
    // for a shape from the flags alone.
    std::string path;
    // What messages call it: the path, "standard input" or "(parameters)".
    std::string name;
    // Its outputs' name in a folder, and its object's name inside files: the
    // file's name without folder and extension, or "supershape".
    std::string stem;
    // Empty when the shape could not be read; `status` says why.
    std::optional<Tparams> params;
    Status status;
};

// What a command asks to write.
struct Output_request {
    enum class Kind {
        // Nothing: the command prints.
        none,
        // One file for each shape: `output` for a single shape ("-" for
        // standard output), or one named after each shape in `outdir`.
        each_shape,
        // `output` alone, for all the shapes.
        one_for_all,
    };
    Kind kind = Kind::none;
    std::string output;
    std::string outdir;
    // The extension, without its dot, of the files in `outdir`.
    std::string extension;
    // Why `output` cannot be written as asked, as a usage error that says
    // what to type instead; empty when it can. Asked once the command line
    // is known to name shapes.
    std::function<std::string()> refused;
    // The file written with each output into a folder beside it, when there
    // is one; may be set by `refused`.
    std::function<std::string(const std::string& output)> companion;
};

// The shapes of a batch, each with its output (when the command writes one
// a shape); for Kind::one_for_all, the one output.
struct Batch {
    std::vector<Named_shape> shapes;
    std::vector<std::string> outputs;
};

// The start every command shares, in this order: a command line that names
// no snippet and gives no parameter flag is a usage error; then the outputs'
// own refusal; the shapes are found (each folder stands for its .bas files,
// any case of the extension, in name order, and one without any is a refused
// input; with no files, one shape from the flags alone); their outputs are
// planned, and two that would write the same file, or one (a companion
// included) that is an input by another name or through a link, are a usage
// error; each shape is read and the flags applied (a shape from the
// flags alone starts from the editor's start values); and `outdir` is made
// with its parents. Fills `batch` and returns nothing when the command may
// go on; otherwise says why on the console and returns the exit status. A
// folder named as input that cannot be read, and an `outdir` that cannot be
// made (a dangling link there included), are said with their reasons.
std::optional<int> start_batch(const char* command, const Shape_inputs& inputs, const Output_request& request,
                               Console& console, Batch& batch);

// The mesh of a shape as the editor's Reset builds it. Made again, it
// reuses its storage.
class Meshed_shape {
public:
    enum class Kind {
        // The editor's own grid and triangle list, as the editor draws any.
        wire,
        // The same, checked for finite coordinates and some area.
        raw,
        closed,
        // None, for an output that holds no mesh.
        none,
    };

    // A refusal reads "cannot mesh: ...", out of memory included.
    Status make(const Tparams& params, Kind kind);

    mesh::Triangle_mesh& mesh() { return mesh_; }
    mesh::Mesh_view view() const { return mesh_.view(); }

private:
    mesh::Triangle_mesh mesh_;
    std::vector<mesh::Tvector3> grid_;
};

// Makes `folder` with its parents; a dangling link in its place is refused.
Status make_folder(const std::string& folder);

// Writes `target` through `write`: a file beside the target, renamed over it
// once whole, or standard output for "-". A failure names the target, or
// "standard output", as runtime::failure words it.
Status write_output(const std::string& target, const std::function<Status(std::FILE*)>& write);

// The exit status a failure gives: refused input 2, anything else 3.
int exit_status_of(const Status& status);
// The worse of two exit statuses: an output failure outranks bad input.
int worse(int first, int second);

// What a shape's output says once written: what it holds, such as "8,064
// triangles", and advice on a line of its own, or empty.
struct Written {
    std::string summary;
    std::string notice;
};

// Writes one shape's output and says what it wrote in `written`.
using Write_output =
    std::function<Status(Named_shape& shape, Meshed_shape& meshed, const std::string& output, Written& written)>;

// Meshes each shape as `kind` and writes it to its output in `outputs`,
// going on past a shape that cannot be read, meshed or written. Each file is
// reported on standard error, with its notice (only failures with `quiet`),
// with a progress bar on a terminal. Returns the worst exit status.
int write_each(std::vector<Named_shape>& shapes, Meshed_shape::Kind kind, const std::vector<std::string>& outputs,
               bool quiet, Console& console, const Write_output& write);

// Why `output` cannot take a PNG picture, as a usage error; empty when it can.
std::string refused_png(const std::string& output, const Console& console);

// Writes "shapetool: LINE" to standard error.
void report(Console& console, const std::string& line);
// Reports a usage error, which says what to type instead; returns exit_usage.
int usage_error(Console& console, const std::string& line);

// 1234567 as "1,234,567".
std::string grouped(std::size_t number);

} // namespace shapetool
