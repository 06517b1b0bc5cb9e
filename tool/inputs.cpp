#include "tool/inputs.h"

#include "runtime/text.h"
#include "shape/grid.h"
#include "snippet/snippet.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace shapetool {
namespace {

namespace fs = std::filesystem;

// What messages call standard input and a shape from the flags alone ...
constexpr char standard_input_name[] = "standard input";
constexpr char flags_only_name[] = "(parameters)";
// ... and their outputs' name in a folder.
constexpr char default_stem[] = "supershape";

constexpr char snippet_extension[] = "bas";

} // namespace

void Parameter_flags::apply(Tparams& params) const
{
    for (int i = 0; i < params::saved_field_count; ++i) {
        if (!given[i])
            continue;
        params::copy_field(params::saved_fields[i], values, params);
        // The rest of the second set is the shape's own, or its first set's
        // copy when it had one set.
        if (params::saved_fields[i].group == params::Group::second_set)
            params.sets_linked = 0;
    }
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
            if (const std::string refused = Nsupershape::refusal(Nsupershape::formula_of(params)); !refused.empty())
                shape.status = runtime::refused(shape.name + ": " + refused);
            else
                shape.params = params;
        }
    }
}

} // namespace shapetool
