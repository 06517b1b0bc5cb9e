// The start every shapetool command shares: check the command line names
// shapes, find them, plan and check their outputs, read the shapes and
// apply the parameter flags, and make the output folder.
#pragma once

#include "export/formats.h"
#include "tool/inputs.h"
#include "tool/report.h"

#include <optional>
#include <string>
#include <vector>

namespace shapetool {

// What a command asks to write, worked out before the batch starts.
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
    // what to type instead; empty when it can. Said once the command line
    // is known to name shapes.
    std::string refused;
    // The mesh format written, whose companion file, when it has one, is
    // planned beside each output; null for none.
    const file_export::Format_row* format = nullptr;
    // Files and folders written besides the outputs, such as the frames and
    // their folder: kept off the inputs and each other as the outputs are.
    std::vector<std::string> also_written = {};
};

// The shapes of a batch, each with its output (when the command writes one
// a shape); for Kind::one_for_all, the one output.
struct Batch {
    std::vector<Named_shape> shapes;
    std::vector<std::string> outputs;
};

// The start every command shares, in this order: a command line that names no
// snippet and gives no parameter flag is a usage error; then the outputs' own
// refusal; the shapes are found (find_shapes); their outputs are planned, and
// two that would write the same file or folder, or one (a companion or one of
// `also_written` included) that is an input by another name or through a
// link, are a usage error; each shape is read and the flags applied
// (read_shapes); `outdir` is made with its parents; and each shape's output
// that cannot be made (output::can_create) becomes that shape's refusal.
// Fills `batch` and returns nothing when the command may go on; otherwise
// says why on the console and returns the exit status. A folder named as
// input that cannot be read, and an `outdir` that cannot be made (a dangling
// link there included), are said with their reasons.
std::optional<int> start_batch(const char* command, const Shape_inputs& inputs, const Output_request& request,
                               Console& console, Batch& batch);

// Says why the first of `files` that cannot be made now cannot, and returns
// exit_output_failed; nothing when all can. Standard output is left out.
std::optional<int> refuse_unmakeable(const std::vector<std::string>& files, Console& console);

// Makes `folder` with its parents; a dangling link in its place is refused.
Status make_folder(const std::string& folder);

} // namespace shapetool
