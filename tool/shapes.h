// What every shapetool command does with its inputs: find the snippets,
// read them, apply the parameter flags, mesh each shape as the editor's
// Reset builds it, and write an output whole or not at all.
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

// The shapes of `inputs` in order, not yet read: each folder stands for its
// .bas files (any case of the extension) in name order, and one without any
// is a refused input; with no files, one shape from the flags alone.
std::vector<Named_shape> find_shapes(const Shape_inputs& inputs);

// Reads each shape found and applies the flags; a shape from the flags alone
// starts from the editor's start values.
void read_shapes(std::vector<Named_shape>& shapes, const Parameter_flags& flags);

// The mesh of a shape as the editor's Reset builds it.
class Meshed_shape {
public:
    enum class Kind {
        // The editor's own grid and triangle list, as the editor draws any.
        wire,
        // The same, checked for finite coordinates and some area.
        raw,
        closed,
    };

    // A refusal reads "cannot mesh: ...", out of memory included.
    Status make(const Tparams& params, Kind kind);

    mesh::Triangle_mesh& mesh() { return mesh_; }
    mesh::Mesh_view view() const { return mesh_.view(); }

private:
    mesh::Triangle_mesh mesh_;
};

// Writes `target` through `write`: a file beside the target, renamed over it
// once whole, or standard output for "-". A failure reads "TARGET: cannot
// write: ...", "TARGET: cannot create: ..." or, for what a format refuses
// to hold, "TARGET: ...".
Status write_output(const std::string& target, const std::function<Status(std::FILE*)>& write);

// The exit status a failure gives: refused input 2, anything else 3.
int exit_status_of(const Status& status);
// The worse of two exit statuses: an output failure outranks bad input.
int worse(int first, int second);

// Writes one shape's output and says what it wrote, such as "8,064
// triangles", in `summary`.
using Write_output = std::function<Status(Named_shape& shape, Meshed_shape& meshed, const std::string& output,
                                          std::string& summary)>;

// Meshes each shape as `kind` and writes it to its output in `outputs`,
// going on past a shape that cannot be read, meshed or written. Each file is
// reported on standard error (only failures with `quiet`), with a progress
// bar on a terminal. Returns the worst exit status.
int write_each(std::vector<Named_shape>& shapes, Meshed_shape::Kind kind, const std::vector<std::string>& outputs,
               bool quiet, Console& console, const Write_output& write);

// Writes "shapetool: LINE" to standard error.
void report(Console& console, const std::string& line);
// Reports a usage error, which says what to type instead; returns exit_usage.
int usage_error(Console& console, const std::string& line);

// The outputs for `shapes` with `extension`: `output` for one shape (which
// may be "-"), or one per shape in `outdir`. Empty, with the usage error in
// `problem`, when they cannot be.
std::vector<std::string> plan_outputs(const std::vector<Named_shape>& shapes, const std::string& output,
                                      const std::string& outdir, const std::string& extension,
                                      std::string& problem);

// Makes `folder` and its parents, for outputs there.
Status make_folder(const std::string& folder);

// 1234567 as "1,234,567".
std::string grouped(std::size_t number);

} // namespace shapetool
