// Any argument vector (the input's bytes split at NUL bytes) is refused with status 1 and one line, answered with help
// or the version, or read with every value within the limits --help gives; reading touches no file.
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/scratch_folder.h"
#include "tool/command_line.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// An empty folder to run in: reading a command line must leave it empty.
const test_support::Scratch_folder scratch("command_line_fuzz");

void check_inputs(const shapetool::Shape_inputs& inputs)
{
    for (int i = 0; i < params::saved_field_count; ++i) {
        const params::Field& field = params::saved_fields[i];
        if (!inputs.flags.given[std::size_t(i)])
            continue;
        if (field.kind == params::Kind::number)
            FUZZ_REQUIRE(std::isfinite(inputs.flags.values.*field.number) &&
                         params::within_limit(field, inputs.flags.values.*field.number));
        if (field.kind == params::Kind::count)
            FUZZ_REQUIRE(inputs.flags.values.*field.count >= field.min &&
                         inputs.flags.values.*field.count <= field.max);
    }
}

bool turn_within_limits(float turn) { return std::isfinite(turn) && std::fabs(turn) <= 1e6f; }

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fs::current_path(scratch.path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> arguments{"shapetool"};
    std::string current;
    for (std::size_t k = 0; k < size && arguments.size() < 64; ++k) {
        if (data[k] == 0)
            arguments.push_back(std::move(current)), current.clear();
        else
            current += static_cast<char>(data[k]);
    }
    if (!current.empty())
        arguments.push_back(current);
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());

    std::ostringstream out, err;
    shapetool::Console console{out, err, false, false};
    shapetool::Command_line line;
    const std::optional<int> done = shapetool::parse_command_line(int(argv.size()), argv.data(), line, console);
    if (done && *done == shapetool::exit_usage) {
        const std::string message = err.str();
        FUZZ_REQUIRE(out.str().empty() && message.rfind("shapetool: ", 0) == 0);
        FUZZ_REQUIRE(message.find('\n') == message.size() - 1);
    } else if (done) {
        FUZZ_REQUIRE(*done == shapetool::exit_success && !out.str().empty() && err.str().empty());
    } else {
        FUZZ_REQUIRE(out.str().empty() && err.str().empty());
        for (const shapetool::Shape_inputs* inputs : {&line.info.inputs, &line.export_options.inputs,
                                                      &line.render.inputs, &line.gallery.inputs, &line.animate.inputs})
            check_inputs(*inputs);
        const double fit = line.export_options.fit;
        FUZZ_REQUIRE(fit == 0 || (fit > 0 && fit <= 1e6));
        FUZZ_REQUIRE(line.render.width >= 1 && line.render.width <= 8192 && line.render.height >= 1 &&
                     line.render.height <= 8192 && turn_within_limits(line.render.turn));
        const shapetool::Animate_options& animation = line.animate;
        FUZZ_REQUIRE(animation.frames >= 1 && animation.frames <= 9999 && animation.fps >= 1 && animation.fps <= 100 &&
                     animation.width >= 1 && animation.width <= 8192 && animation.height >= 1 &&
                     animation.height <= 8192 &&
                     (!animation.quality || (*animation.quality >= 0 && *animation.quality <= 100)) &&
                     (!animation.turn || turn_within_limits(*animation.turn)));
        const shapetool::Gallery_options& sheet = line.gallery;
        FUZZ_REQUIRE(sheet.columns >= 0 && sheet.columns <= 1000 && turn_within_limits(sheet.turn));
        for (const float tilt : {line.render.tilt, animation.tilt, sheet.tilt})
            FUZZ_REQUIRE(tilt >= -90 && tilt <= 90);
        FUZZ_REQUIRE(sheet.thumb_width >= 32 && sheet.thumb_width <= 2048 && sheet.thumb_height >= 32 &&
                     sheet.thumb_height <= 2048);
    }
    FUZZ_REQUIRE(fs::is_empty(scratch.path()));
    return 0;
}
