// The shapes a command works on: snippet files, folders of them, standard
// input or the parameter flags alone, found and read.
#pragma once

#include "params/Tparams.h"
#include "params/fields.h"
#include "runtime/status.h"

#include <bitset>
#include <optional>
#include <string>
#include <vector>

namespace shapetool {

using runtime::Status;

// The name that stands for standard input, and for standard output with -o.
constexpr char standard_stream[] = "-";

// Parameter values given as flags; each replaces the snippet's value, or the
// editor's start value when no snippet is given.
struct Parameter_flags {
    // The values given, in their fields.
    Tparams values;
    // Which of the saved fields (params/fields.h) were given, in its order.
    std::bitset<params::saved_field_count> given;

    bool any() const { return given.any(); }
    void apply(Tparams& params) const;
};

// The shapes a command works on: snippet files, folders of them, "-" for
// standard input, or the flags alone.
struct Shape_inputs {
    std::vector<std::string> files;
    Parameter_flags flags;
    // Leaves out the line per file; errors still show.
    bool quiet = false;
};

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

// The shapes `inputs` names, unread: each folder stands for its .bas files,
// any case of the extension, in name order, and one without any, or one
// that cannot be read, is a refused input; with no files, one shape from
// the flags alone.
std::vector<Named_shape> find_shapes(const Shape_inputs& inputs);

// Reads each shape found and applies the flags; a shape from the flags
// alone starts from the editor's start values, and standard input named
// twice is refused the second time.
void read_shapes(std::vector<Named_shape>& shapes, const Parameter_flags& flags);

} // namespace shapetool
