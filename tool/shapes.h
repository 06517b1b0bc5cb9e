// What every shapetool command does with its inputs: read the snippets,
// apply the parameter flags, mesh each shape as the editor's Reset builds it,
// and write an output whole or not at all.
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
    std::string name;
    // Empty when the file could not be read; `status` says why.
    std::optional<Tparams> params;
    Status status;
};

// The shapes of `inputs` in order, read and with the flags applied; with no
// files, one shape from the editor's start values and the flags.
std::vector<Named_shape> read_shapes(const Shape_inputs& inputs);

// The mesh of a shape as the editor's Reset builds it.
class Meshed_shape {
public:
    enum class Kind {
        // The editor's own grid and triangle list, checked for finite
        // coordinates and some area.
        raw,
        closed,
    };

    // A refusal reads "cannot mesh: ...", out of memory included.
    Status make(const Tparams& params, Kind kind);

    mesh::Mesh_view view() const { return mesh_.view(); }

private:
    mesh::Triangle_mesh mesh_;
};

// Writes `target` through `write` beside the target, then renames it over
// the target. A failure reads "cannot write TARGET: ..." or "cannot create
// TARGET: ...".
Status write_whole(const std::string& target, const std::function<Status(std::FILE*)>& write);

// The worse of two exit statuses: an output failure outranks bad input.
int worse(int first, int second);

// Writes one shape's output; a failure says why in one line.
using Write_output =
    std::function<Status(const Named_shape& shape, const Meshed_shape& meshed, const std::string& output)>;

// Meshes each shape as `kind` and writes it to its output in `outputs`,
// going on past a shape that cannot be read or meshed. Each file is reported
// on standard error, with a progress bar on a terminal. Returns the worst
// exit status.
int write_each(const std::vector<Named_shape>& shapes, Meshed_shape::Kind kind,
               const std::vector<std::string>& outputs, Console& console, const Write_output& write);

// Prints `message` and the hint to ask for help; returns exit_usage.
int usage_error(Console& console, const std::string& message);

// FOLDER/STEM.EXTENSION
std::string output_in(const std::string& folder, const std::string& stem, const std::string& extension);

// The outputs for `options` with `extension` (a file with -o, or one per
// input in --outdir), or a usage message in `problem`.
std::vector<std::string> plan_outputs(const Shape_inputs& inputs, const std::string& output,
                                      const std::string& outdir, const std::string& extension,
                                      std::string& problem);

// 1234567 as "1,234,567".
std::string grouped(std::size_t number);

} // namespace shapetool
