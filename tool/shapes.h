// What every shapetool command does with its inputs: read the snippets,
// apply the parameter flags, mesh each shape as the editor's Reset does, and
// write an output whole or not at all.
#pragma once

#include "app/Tparams.h"
#include "mesh/closed_mesh.h"
#include "output/atomic_file.h"
#include "shape/Tsupershape.h"
#include "tool/commands.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace shapetool {

struct Named_shape {
    std::string name;
    // Empty when the file could not be read; `error` says why.
    std::optional<Tparams> params;
    std::string error;
};

// The shapes of `inputs` in order, read and with the flags applied; with no
// files, one shape from the editor's start values and the flags.
std::vector<Named_shape> read_shapes(const Shape_inputs& inputs);

// A shape as the editor's Reset leaves it, and the mesh made of it.
class Meshed_shape {
public:
    enum class Kind {
        // The editor's own grid and triangle list, checked for finite
        // coordinates and some area.
        raw,
        closed,
    };

    // Why the shape cannot be meshed, as "cannot mesh: ..."; empty when it can.
    std::string make(const Tparams& params, Kind kind);

    const Nsupershape::Tsupershape& shape() const { return shape_; }
    const mesh::Mesh_view& view() const { return view_; }

private:
    Nsupershape::Tsupershape shape_;
    mesh::Closed_mesh closed_;
    mesh::Mesh_view view_;
};

// Writes `target` through `write`, which returns 0 or an errno, beside the
// target and then renamed over it. Empty on success, else one line.
std::string write_whole(const std::string& target, const std::function<int(std::FILE*)>& write);

// The worse of two exit statuses: an output failure outranks bad input.
int worse(int first, int second);

// Writes one shape's output; returns an empty string, or the line that says
// why the output failed.
using Write_output =
    std::function<std::string(const Named_shape& shape, const Meshed_shape& meshed, const std::string& output)>;

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
