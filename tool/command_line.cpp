// The command line, on CLI11: subcommands, flags and usage errors. Parsing
// only fills the option records of commands.h.
#include "tool/commands.h"

#include "offscreen/renderer.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace shapetool {
namespace {

constexpr char version_text[] = "shapetool 1.0.0";
constexpr int offscreen_max_side = offscreen::Picture_options::max_side;
constexpr int offscreen_min_thumb = offscreen::Sheet_layout::min_thumb_side;
constexpr int offscreen_max_thumb = offscreen::Sheet_layout::max_thumb_side;

// The saved fields that have a flag, in the order --help lists them:
// numbers, then counts, then the colour.
std::vector<int> flag_fields()
{
    std::vector<int> fields;
    for (const record::Kind kind : {record::Kind::number, record::Kind::count, record::Kind::colour})
        for (int i = 0; i < record::saved_field_count; ++i)
            if (record::saved_fields[i].kind == kind)
                fields.push_back(i);
    return fields;
}

std::string parameters_help()
{
    std::string flags;
    for (const int i : flag_fields())
        flags += std::string(flags.empty() ? "" : " ") + "--" + record::saved_fields[i].name;
    return "Parameters may be given as flags instead of, or on top of, a snippet: " + flags +
           "; missing ones keep the snippet's values or the editor's start values.";
}

// "R,G,B" or "R,G,B,A", each 0 to 255; alpha 255 when left out.
std::optional<std::array<std::uint8_t, 4>> colour_value(const std::string& text)
{
    const std::vector<std::string> bytes = CLI::detail::split(text, ',');
    std::array<std::uint8_t, 4> color{0, 0, 0, 255};
    if (bytes.size() != 3 && bytes.size() != 4)
        return std::nullopt;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        int value = -1;
        const char* end = bytes[i].data() + bytes[i].size();
        if (std::from_chars(bytes[i].data(), end, value).ptr != end || value < 0 || value > 255)
            return std::nullopt;
        color[i] = static_cast<std::uint8_t>(value);
    }
    return color;
}

// The flag of saved field `index`, which fills its place in `flags`.
void add_parameter_flag(CLI::App& command, Parameter_flags& flags, int index)
{
    const record::Field& field = record::saved_fields[index];
    const std::string name = std::string("--") + field.name;
    CLI::Option* option = nullptr;
    switch (field.kind) {
    case record::Kind::number:
        option = command.add_option_function<double>(
            name,
            [&flags, &field, name, index](double value) {
                if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
                    throw CLI::ValidationError(name, "expected a finite number");
                flags.values.*field.number = static_cast<float>(value);
                flags.given.set(index);
            },
            field.description);
        option->type_name("NUMBER");
        break;
    case record::Kind::count: {
        const auto [least, most] = std::pair(std::int32_t(field.min), std::int32_t(field.max));
        option = command.add_option_function<std::int32_t>(
            name,
            [&flags, &field, name, index, least, most](std::int32_t value) {
                if (value < least || value > most)
                    throw CLI::ValidationError(name, "expected a whole number from " + std::to_string(least) +
                                                         " to " + std::to_string(most));
                flags.values.*field.count = value;
                flags.given.set(index);
            },
            field.description);
        option->type_name(std::to_string(least) + ".." + std::to_string(most));
        break;
    }
    case record::Kind::colour:
        option = command.add_option_function<std::string>(
            name,
            [&flags, &field, name, index](const std::string& text) {
                const auto colour = colour_value(text);
                if (!colour)
                    throw CLI::ValidationError(name, "expected R,G,B or R,G,B,A, each from 0 to 255");
                std::copy(colour->begin(), colour->end(), flags.values.*field.colour);
                flags.given.set(index);
            },
            std::string(field.description) + ", each byte 0 to 255; alpha 255 when left out");
        option->type_name("R,G,B[,A]");
        break;
    case record::Kind::text:
        return;
    }
    option->group("Parameters");
}

// "WxH", each side from 1 to `largest`.
void add_size_flag(CLI::App& command, const std::string& name, int& width, int& height, int smallest, int largest,
                   const std::string& help)
{
    command
        .add_option_function<std::string>(
            "--" + name,
            [&width, &height, name, smallest, largest](const std::string& text) {
                const auto by = text.find('x');
                int sides[2] = {0, 0};
                bool valid = by != std::string::npos;
                for (int i = 0; valid && i < 2; ++i) {
                    const char* first = text.data() + (i == 0 ? 0 : by + 1);
                    const char* last = i == 0 ? text.data() + by : text.data() + text.size();
                    valid = std::from_chars(first, last, sides[i]).ptr == last && first != last &&
                            sides[i] >= smallest && sides[i] <= largest;
                }
                if (!valid)
                    throw CLI::ValidationError("--" + name, "expected WIDTHxHEIGHT, each from " +
                                                                std::to_string(smallest) + " to " +
                                                                std::to_string(largest));
                width = sides[0];
                height = sides[1];
            },
            help)
        ->type_name("WxH");
}

void add_turn_flag(CLI::App& command, float& turn)
{
    command.add_option_function<double>(
               "--turn",
               [&turn](double degrees) {
                   if (!std::isfinite(degrees) || std::fabs(degrees) > 1e6)
                       throw CLI::ValidationError("--turn", "expected degrees, a finite number");
                   turn = static_cast<float>(degrees);
               },
               "turn the shape by DEG degrees about the vertical axis")
        ->type_name("DEG");
}

void add_shape_inputs(CLI::App& command, Shape_inputs& inputs, const char* positional_help = nullptr)
{
    command.add_option("FILE", inputs.files, positional_help ? positional_help : "snippet files saved by the editor");
    for (const int index : flag_fields())
        add_parameter_flag(command, inputs.flags, index);
}

} // namespace

int run(int argc, const char* const argv[], Console& console)
{
    CLI::App app("Turns snippets saved by the supershape editor into meshes and pictures, without a display.",
                 "shapetool");
    app.set_version_flag("--version", version_text);
    app.require_subcommand(1);
    app.footer(parameters_help());

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

    Render_options render_options;
    CLI::App* render_command = app.add_subcommand(
        "render", "Draw each shape as the editor does, in its colour on black, into a PNG file.");
    add_shape_inputs(*render_command, render_options.inputs);
    CLI::Option* picture = render_command->add_option("-o,--output", render_options.output, "the PNG file, for one shape");
    CLI::Option* pictures =
        render_command->add_option("--outdir", render_options.outdir, "the folder for one PNG file per shape");
    picture->excludes(pictures);
    add_size_flag(*render_command, "size", render_options.width, render_options.height, 1,
                  offscreen_max_side, "the picture's size in pixels (default 640x480)");
    render_command->add_flag("--solid", render_options.solid, "draw the closed mesh as a lit surface");
    add_turn_flag(*render_command, render_options.turn);
    render_command->footer("Examples:\n  shapetool render shapes/star.bas -o star.png --size 1280x960\n"
                           "  shapetool render shapes/*.bas --outdir pictures --solid --turn 30");

    Gallery_options gallery_options;
    CLI::App* gallery_command = app.add_subcommand(
        "gallery", "Draw one contact sheet: a thumbnail per snippet, each with its file name under it.");
    add_shape_inputs(*gallery_command, gallery_options.inputs, "snippet files, or folders of them");
    gallery_command->add_option("-o,--output", gallery_options.output, "the PNG file")->required();
    gallery_command
        ->add_option_function<int>(
            "--columns",
            [&gallery_options](int columns) {
                if (columns < 1 || columns > 1000)
                    throw CLI::ValidationError("--columns", "expected a whole number from 1 to 1000");
                gallery_options.columns = columns;
            },
            "thumbnails a row (default: about as many as rows)")
        ->type_name("N");
    add_size_flag(*gallery_command, "thumb", gallery_options.thumb_width, gallery_options.thumb_height,
                  offscreen_min_thumb, offscreen_max_thumb, "each thumbnail's size in pixels (default 160x120)");
    gallery_command->add_flag("--solid", gallery_options.solid, "draw closed meshes as lit surfaces");
    add_turn_flag(*gallery_command, gallery_options.turn);
    gallery_command->footer("Example: shapetool gallery shapes -o gallery.png --columns 4 --solid");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help and the version are successes, printed on standard output.
        const int status = app.exit(error, console.out, console.err);
        return status == 0 ? exit_success : exit_usage;
    }
    if (info_command->parsed())
        return info(info_options, console);
    if (render_command->parsed())
        return render(render_options, console);
    if (gallery_command->parsed())
        return gallery(gallery_options, console);
    return export_meshes(export_options, console);
}

} // namespace shapetool
