// The command line, on CLI11: subcommands, flags and usage errors. Parsing
// only fills the option records of commands.h.
#include "tool/commands.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <limits>

namespace shapetool {
namespace {

constexpr char version_text[] = "shapetool 1.0.0";

const char* const parameters_help =
    "Parameters may be given as flags instead of, or on top of, a snippet: "
    "--a --b --m --n1 --n2 --n3 --radius --scale --slices --bands --color; "
    "missing ones keep the snippet's values or the editor's start values.";

// A float flag that must be a finite number.
void add_float_flag(CLI::App& command, const std::string& name, std::optional<float>& target,
                    const std::string& help)
{
    command
        .add_option_function<double>(
            "--" + name,
            [&target, name](double value) {
                if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
                    throw CLI::ValidationError("--" + name, "expected a finite number");
                target = static_cast<float>(value);
            },
            help)
        ->type_name("NUMBER")
        ->group("Parameters");
}

void add_count_flag(CLI::App& command, const std::string& name, std::optional<std::int32_t>& target,
                    const std::string& help)
{
    command
        .add_option_function<std::int32_t>(
            "--" + name,
            [&target, name](std::int32_t value) {
                if (value < 1 || value > 999)
                    throw CLI::ValidationError("--" + name, "expected a whole number from 1 to 999");
                target = value;
            },
            help)
        ->type_name("1..999")
        ->group("Parameters");
}

// "R,G,B" or "R,G,B,A", each 0 to 255.
void add_color_flag(CLI::App& command, std::optional<std::array<std::uint8_t, 4>>& target)
{
    command
        .add_option_function<std::string>(
            "--color",
            [&target](const std::string& text) {
                const std::vector<std::string> bytes = CLI::detail::split(text, ',');
                std::array<std::uint8_t, 4> color{0, 0, 0, 255};
                bool valid = bytes.size() == 3 || bytes.size() == 4;
                for (std::size_t i = 0; valid && i < bytes.size(); ++i) {
                    int value = -1;
                    const char* end = bytes[i].data() + bytes[i].size();
                    valid = std::from_chars(bytes[i].data(), end, value).ptr == end && value >= 0 && value <= 255;
                    color[i] = static_cast<std::uint8_t>(value);
                }
                if (!valid)
                    throw CLI::ValidationError("--color", "expected R,G,B or R,G,B,A, each from 0 to 255");
                target = color;
            },
            "shape colour, each byte 0 to 255; alpha 255 when left out")
        ->type_name("R,G,B[,A]")
        ->group("Parameters");
}

void add_shape_inputs(CLI::App& command, Shape_inputs& inputs)
{
    command.add_option("FILE", inputs.files, "snippet files saved by the editor");
    Parameter_flags& flags = inputs.flags;
    add_float_flag(command, "a", flags.a, "superformula a");
    add_float_flag(command, "b", flags.b, "superformula b");
    add_float_flag(command, "m", flags.m, "symmetry m");
    add_float_flag(command, "n1", flags.n1, "exponent n1");
    add_float_flag(command, "n2", flags.n2, "exponent n2");
    add_float_flag(command, "n3", flags.n3, "exponent n3");
    add_float_flag(command, "radius", flags.radius, "radius");
    add_float_flag(command, "scale", flags.scale, "scale factor");
    add_count_flag(command, "slices", flags.slices, "rows of the grid");
    add_count_flag(command, "bands", flags.bands, "columns of the grid, less one");
    add_color_flag(command, flags.color);
}

} // namespace

int run(int argc, const char* const argv[], Console& console)
{
    CLI::App app("Turns snippets saved by the supershape editor into meshes.", "shapetool");
    app.set_version_flag("--version", version_text);
    app.require_subcommand(1);
    app.footer(parameters_help);

    Info_options info_options;
    CLI::App* info_command = app.add_subcommand("info", "Print each shape's parameters and its mesh: counts, "
                                                        "bounding box, closedness, area and volume.");
    add_shape_inputs(*info_command, info_options.inputs);
    info_command->add_flag("--json", info_options.json, "print one JSON document for scripts");
    info_command->add_flag("--raw", info_options.raw, "measure the editor's own grid instead of the closed mesh");
    info_command->footer("Example: shapetool info shapes/*.bas --json");

    Export_options export_options;
    CLI::App* export_command = app.add_subcommand(
        "export", "Write each shape as a closed, printable mesh: stl (binary), obj, ply (binary), glb or 3mf.");
    add_shape_inputs(*export_command, export_options.inputs);
    CLI::Option* output = export_command->add_option("-o,--output", export_options.output,
                                                     "the output file, for one shape; its extension gives the format");
    CLI::Option* outdir =
        export_command->add_option("--outdir", export_options.outdir, "the folder for one file per shape");
    CLI::Option* format =
        export_command->add_option("--format", export_options.format, "the format with --outdir: stl, obj, ply, glb, 3mf");
    output->excludes(outdir)->excludes(format);
    outdir->needs(format);
    format->needs(outdir);
    export_command->add_flag("--raw", export_options.raw,
                             "write the editor's own grid and triangle list as they are, not the closed mesh");
    export_command->footer("Examples:\n  shapetool export shapes/star.bas -o star.stl\n"
                           "  shapetool export shapes/*.bas --outdir meshes --format glb\n"
                           "  shapetool export --m 6 --n1 0.5 --slices 200 --bands 200 -o flower.3mf");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help and the version are successes, printed on standard output.
        const int status = app.exit(error, console.out, console.err);
        return status == 0 ? exit_success : exit_usage;
    }
    if (info_command->parsed())
        return info(info_options, console);
    return export_meshes(export_options, console);
}

} // namespace shapetool
