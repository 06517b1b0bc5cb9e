// The command line, on CLI11: the table of commands, their flags and usage
// errors. Parsing only fills the option records of commands.h; every value is
// read here as text and refused unless it is what the help says, so that an
// empty value or a hexadecimal number is never taken for something.
#include "tool/commands.h"

#include "animation/writers.h"
#include "explore/random.h"
#include "export/formats.h"
#include "mesh/closed_mesh.h"
#include "offscreen/renderer.h"
#include "runtime/text.h"
#include "runtime/version.h"
#include "tool/help_format.h"
#include "tool/shapes.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>

namespace shapetool {
namespace {

constexpr char version_text[] = "shapetool " SUPERSHAPE_VERSION;
constexpr double max_turn = 1e6;
constexpr double max_fit = 1e6;
constexpr int max_columns = 1000;

const char* const statuses_help = "Exit statuses:\n"
                                  "  0  success\n"
                                  "  1  a usage error\n"
                                  "  2  an input refused: a snippet that cannot be read, a shape that cannot be "
                                  "meshed or held by the format\n"
                                  "  3  an output that could not be written\n"
                                  "  128+N  ended by signal N\n"
                                  "\n"
                                  "Errors read \"shapetool: PATH: what is wrong\", one line each. Each command's "
                                  "flags: shapetool COMMAND --help.";

// How -o treats what is already there, for each command that writes.
const std::string output_rules =
    "; an existing file is replaced whole, a link's file is replaced and the link kept, and a dangling link or a "
    "file you may not write is refused";

// The text of a value as a decimal number with an optional sign and
// exponent and nothing around it, as snippets hold numbers.
template <class Number>
std::optional<Number> number_in(const std::string& text)
{
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end || text.empty())
        return std::nullopt;
    if constexpr (std::is_floating_point_v<Number>)
        if (!std::isfinite(value))
            return std::nullopt;
    return value;
}

[[noreturn]] void refuse(const std::string& flag, const std::string& expected, const std::string& text)
{
    throw CLI::ValidationError(flag, "expected " + expected + ", found \"" + text + "\"");
}

// A flag whose text `take` turns into its value, throwing when it cannot.
CLI::Option* add_value_flag(CLI::App& command, const std::string& flag, const std::string& help,
                            const std::string& shown, std::function<void(const std::string&)> take)
{
    return command.add_option_function<std::string>(flag, std::move(take), help)->type_name(shown);
}

int whole_number(const std::string& flag, const std::string& text, int least, int most)
{
    const std::optional<int> value = number_in<int>(text);
    if (!value || *value < least || *value > most)
        refuse(flag, "a whole number from " + std::to_string(least) + " to " + std::to_string(most), text);
    return *value;
}

double finite_number(const std::string& flag, const std::string& text, double least, double most,
                     const std::string& expected)
{
    const std::optional<double> value = number_in<double>(text);
    if (!value || !(*value >= least && *value <= most))
        refuse(flag, expected, text);
    return *value;
}

// "R,G,B" or "R,G,B,A", each 0 to 255; alpha 255 when left out.
std::optional<std::array<std::uint8_t, 4>> colour_value(const std::string& text)
{
    std::array<std::uint8_t, 4> colour{0, 0, 0, 255};
    std::size_t count = 0, start = 0;
    for (std::size_t comma = 0; comma != std::string::npos && count < colour.size(); start = comma + 1) {
        comma = text.find(',', start);
        const std::optional<int> byte = number_in<int>(text.substr(start, comma - start));
        if (!byte || *byte < 0 || *byte > 255)
            return std::nullopt;
        colour[count++] = static_cast<std::uint8_t>(*byte);
        if (comma == std::string::npos)
            return count >= 3 ? std::optional(colour) : std::nullopt;
    }
    return std::nullopt;
}

// The saved fields that have a flag, in the order --help lists them:
// numbers, then counts, then the colour.
std::vector<int> flag_fields()
{
    std::vector<int> fields;
    for (const params::Kind kind : {params::Kind::number, params::Kind::count, params::Kind::colour})
        for (int i = 0; i < params::saved_field_count; ++i)
            if (params::saved_fields[i].kind == kind)
                fields.push_back(i);
    return fields;
}

std::string parameters_help()
{
    std::string flags;
    for (const int i : flag_fields())
        flags += std::string(flags.empty() ? "" : " ") + "--" + params::saved_fields[i].name;
    return "Parameters may be given as flags instead of, or on top of, a snippet: " + flags +
           "; missing ones keep the snippet's values or the editor's start values. The second set (--a2 to "
           "--n3_2) shapes the rows on their own; its missing values are the snippet's second set, or its first "
           "for a snippet with one.\n\n" +
           statuses_help;
}

// What a count needs beyond its limits, for the closed mesh.
std::string closed_minimum(const params::Field& field)
{
    if (field.count == &Tparams::slices)
        return "; export and --solid need " + std::to_string(mesh::closed_min_slices) + " or more";
    if (field.count == &Tparams::bands)
        return "; export and --solid need " + std::to_string(mesh::closed_min_bands) + " or more";
    return "";
}

// The flag of saved field `index`, which fills its place in `flags`.
void add_parameter_flag(CLI::App& command, Parameter_flags& flags, int index)
{
    const params::Field& field = params::saved_fields[index];
    const std::string flag = std::string("--") + field.name;
    const auto given = [&flags, index] { flags.given.set(index); };
    CLI::Option* option = nullptr;
    switch (field.kind) {
    case params::Kind::number:
        option = add_value_flag(command, flag, std::string(field.description) + ", any finite number", "NUMBER",
                                [&flags, &field, flag, given](const std::string& text) {
                                    const std::optional<float> value = number_in<float>(text);
                                    if (!value)
                                        refuse(flag, "a finite number within single precision", text);
                                    flags.values.*field.number = *value;
                                    given();
                                });
        break;
    case params::Kind::count: {
        const int least = static_cast<int>(field.min), most = static_cast<int>(field.max);
        const std::string range = std::to_string(least) + ".." + std::to_string(most);
        option = add_value_flag(command, flag, std::string(field.description) + ", " + range + closed_minimum(field),
                                range, [&flags, &field, flag, least, most, given](const std::string& text) {
                                    flags.values.*field.count = whole_number(flag, text, least, most);
                                    given();
                                });
        break;
    }
    case params::Kind::colour:
        option = add_value_flag(command, flag,
                                std::string(field.description) + ", each byte 0 to 255; alpha 255 when left out",
                                "R,G,B[,A]", [&flags, &field, flag, given](const std::string& text) {
                                    const auto colour = colour_value(text);
                                    if (!colour)
                                        refuse(flag, "R,G,B or R,G,B,A, each a whole number from 0 to 255", text);
                                    std::copy(colour->begin(), colour->end(), flags.values.*field.colour);
                                    given();
                                });
        break;
    case params::Kind::text: return;
    }
    option->group("Parameters");
}

void add_shape_inputs(CLI::App& command, Shape_inputs& inputs)
{
    command.add_option("FILE", inputs.files,
                       "snippet files saved by the editor, folders of them, or - for standard input");
    for (const int index : flag_fields())
        add_parameter_flag(command, inputs.flags, index);
    command.add_flag("-q,--quiet", inputs.quiet, "leave out the line per file; errors still show");
}

// "WxH", each side from `smallest` to `largest`.
void add_size_flag(CLI::App& command, const std::string& name, int& width, int& height, int smallest, int largest,
                   const std::string& help)
{
    const std::string flag = "--" + name;
    const std::string limits = std::to_string(smallest) + ".." + std::to_string(largest);
    add_value_flag(command, flag, help + "; each side " + limits, "WxH",
                   [&width, &height, flag, smallest, largest, limits](const std::string& text) {
                       const std::size_t by = text.find('x');
                       const std::optional<int> w = number_in<int>(text.substr(0, by));
                       const std::optional<int> h = by == std::string::npos ? std::nullopt
                                                                            : number_in<int>(text.substr(by + 1));
                       if (!w || !h || std::min(*w, *h) < smallest || std::max(*w, *h) > largest)
                           refuse(flag,
                                  "WIDTHxHEIGHT, each a whole number from " + std::to_string(smallest) + " to " +
                                      std::to_string(largest),
                                  text);
                       width = *w;
                       height = *h;
                   });
}

// Degrees about the vertical axis, as `help` says.
void add_turn_flag(CLI::App& command, const std::string& help, std::function<void(float)> take)
{
    add_value_flag(command, "--turn", help + ", within 1e6", "DEG", [take = std::move(take)](const std::string& text) {
        take(static_cast<float>(
            finite_number("--turn", text, -max_turn, max_turn, "degrees, a finite number within 1e6")));
    });
}

void add_turn_flag(CLI::App& command, float& turn)
{
    add_turn_flag(command, "turn the shape by DEG degrees about the vertical axis",
                  [&turn](float degrees) { turn = degrees; });
}

void add_transparent_flag(CLI::App& command, bool& transparent)
{
    command.add_flag("--transparent", transparent, "leave the ground transparent instead of black");
}

// One line for a parse error, with the help that says what to type.
std::string usage_line(const CLI::ParseError& error, const CLI::App& app)
{
    std::string command;
    for (const CLI::App* sub : app.get_subcommands())
        command = sub->get_name();
    const std::string help = "shapetool " + (command.empty() ? "" : command + " ") + "--help";
    return (command.empty() ? "" : command + ": ") + error.what() + " (" + help + " lists what it takes)";
}

// The flags of each command, bound to its options in `line`.
void add_info_flags(CLI::App& command, Command_line& line)
{
    Info_options& options = line.info;
    add_shape_inputs(command, options.inputs);
    command.add_flag("--json", options.json, "print one JSON document for scripts");
    command.add_flag("--raw", options.raw, "measure the editor's own grid instead of the closed mesh");
}

void add_export_flags(CLI::App& command, Command_line& line)
{
    Export_options& options = line.export_options;
    add_shape_inputs(command, options.inputs);
    CLI::Option* output =
        command
            .add_option("-o,--output", options.output,
                        "the output file, for one shape; its extension gives the format; - for standard output with "
                        "--format (an OBJ there has no material file); an OBJ's material file is named after it, with "
                        "blanks, control characters, #, \\ and % as %XX" +
                            output_rules)
            ->type_name("FILE");
    CLI::Option* outdir = command
                              .add_option("--outdir", options.outdir,
                                          "the folder, made when missing, for one file per shape; not a dangling link")
                              ->type_name("DIR");
    command.add_option("--format", options.format, "the format, with --outdir or -o -")
        ->type_name(file_export::format_choices());
    output->excludes(outdir);
    add_value_flag(command, "--fit",
                   "scale evenly so that the largest side is MM millimetres, above 0 and at most 1e6 "
                   "(glb: MM / 1000 metres)",
                   "MM", [&options](const std::string& text) {
                       options.fit =
                           finite_number("--fit", text, 0, max_fit, "a size in millimetres above 0 and at most 1e6");
                       if (!(options.fit > 0))
                           refuse("--fit", "a size in millimetres above 0 and at most 1e6", text);
                   });
    add_value_flag(command, "--up", "the axis that is up in the file, y or z (default: the format's)", "y|z",
                   [&options](const std::string& text) {
                       if (text != "y" && text != "z")
                           refuse("--up", "y or z", text);
                       options.up = text == "y" ? mesh::Up::y : mesh::Up::z;
                   });
    command.add_flag("--raw", options.raw,
                     "write the editor's own grid and triangle list as they are, not the closed mesh");
    command.add_flag("--no-normals", options.no_normals,
                     "write OBJ without vertex normals: smaller, and shaded flat or by its smoothing group");
}

void add_render_flags(CLI::App& command, Command_line& line)
{
    Render_options& options = line.render;
    add_shape_inputs(command, options.inputs);
    CLI::Option* picture = command
                               .add_option("-o,--output", options.output,
                                           "the PNG file, for one shape, or - for standard output" + output_rules)
                               ->type_name("FILE");
    CLI::Option* pictures =
        command
            .add_option("--outdir", options.outdir,
                        "the folder, made when missing, for one PNG file per shape; not a dangling link")
            ->type_name("DIR");
    picture->excludes(pictures);
    add_size_flag(command, "size", options.width, options.height, 1, offscreen::Picture_options::max_side,
                  "the picture's size in pixels (default 640x480)");
    command.add_flag("--solid", options.solid, "draw the closed mesh as a lit surface");
    add_turn_flag(command, options.turn);
    add_transparent_flag(command, options.transparent);
}

void add_gallery_flags(CLI::App& command, Command_line& line)
{
    Gallery_options& options = line.gallery;
    add_shape_inputs(command, options.inputs);
    command.add_option("-o,--output", options.output, "the PNG file, or - for standard output" + output_rules)
        ->type_name("FILE")
        ->required();
    add_value_flag(
        command, "--columns", "thumbnails a row, 1..1000 (default: about as many as rows)", "N",
        [&options](const std::string& text) { options.columns = whole_number("--columns", text, 1, max_columns); });
    add_size_flag(command, "thumb", options.thumb_width, options.thumb_height, offscreen::Sheet_layout::min_thumb_side,
                  offscreen::Sheet_layout::max_thumb_side, "each thumbnail's size in pixels (default 160x120)");
    command.add_flag("--solid", options.solid, "draw closed meshes as lit surfaces");
    add_turn_flag(command, options.turn);
}

constexpr int max_frames = 9999;

// The most frames a second any animated format holds.
int max_fps()
{
    int most = 1;
    for (const animation::Format_row& row : animation::formats)
        most = std::max(most, row.max_fps);
    return most;
}

void add_animate_flags(CLI::App& command, Command_line& line)
{
    Animate_options& options = line.animate;
    add_shape_inputs(command, options.inputs);
    std::string formats;
    for (const animation::Format_row& row : animation::formats)
        formats += (formats.empty() ? "" : ", ") + std::string(row.title) + " (." + row.extension + ", at most " +
                   std::to_string(row.max_fps) + " fps)";
    command
        .add_option("-o,--output", options.output,
                    "the animation, looping forever, its format from the extension: " + formats +
                        "; GIF gives each frame a palette of its own, without dithering" + output_rules)
        ->type_name("FILE");
    command
        .add_option("--frames-dir", options.frames_dir,
                    "a folder, made when missing, for the frames as PNG files frame_0001.png, frame_0002.png ..., "
                    "each written whole; not a dangling link")
        ->type_name("DIR");
    add_value_flag(
        command, "--frames", "the animation's frames, 1.." + std::to_string(max_frames) + " (default 60)", "N",
        [&options](const std::string& text) { options.frames = whole_number("--frames", text, 1, max_frames); });
    add_value_flag(command, "--fps", "frames a second, 1.." + std::to_string(max_fps()) + " (default 30)", "F",
                   [&options](const std::string& text) { options.fps = whole_number("--fps", text, 1, max_fps()); });
    add_size_flag(command, "size", options.width, options.height, 1, offscreen::Picture_options::max_side,
                  "the frames' size in pixels (default 480x480)");
    command.add_flag("--wire", options.wire, "draw the editor's wire strip instead of the lit closed mesh");
    add_transparent_flag(command, options.transparent);
    add_value_flag(command, "--quality",
                   "lossy WebP's quality, 0..100 (default " + std::to_string(Animate_options::default_quality) + ")",
                   "Q",
                   [&options](const std::string& text) { options.quality = whole_number("--quality", text, 0, 100); });
    command.add_flag("--lossless", options.lossless, "write WebP without loss: larger, every pixel kept");
    command.add_flag("--loop", options.loop, "morph back to the first shape at the end");
    add_turn_flag(command, "turn a morph by DEG degrees about the vertical axis in each leg",
                  [&options](float degrees) { options.turn = degrees; });
}

constexpr int max_random_count = 10000;

void add_random_flags(CLI::App& command, Command_line& line)
{
    Random_options& options = line.random;
    for (const int index : flag_fields())
        add_parameter_flag(command, options.flags, index);
    add_value_flag(
        command, "--count", "how many shapes, 1..10000 (default 10)", "N",
        [&options](const std::string& text) { options.count = whole_number("--count", text, 1, max_random_count); });
    add_value_flag(command, "--seed", "the draws' seed, a whole number (default: from the clock, and said)", "S",
                   [&options](const std::string& text) {
                       const std::optional<std::uint64_t> seed = number_in<std::uint64_t>(text);
                       if (!seed)
                           refuse("--seed", "a whole number from 0 to 18446744073709551615", text);
                       options.seed = seed;
                   });
    add_value_flag(command, "--keep", "formula numbers and color that keep their values, such as m,n1,color", "LIST",
                   [&options](const std::string& text) {
                       explore::Locks ignored;
                       for (std::size_t start = 0, comma = 0; comma != std::string::npos; start = comma + 1) {
                           comma = text.find(',', start);
                           const std::string name = text.substr(start, comma - start);
                           if (!explore::lock_named(name, ignored))
                               refuse("--keep", "names of a, b, m, n1, n2, n3, a2 ... n3_2 or color, by commas", text);
                           options.keep.push_back(name);
                       }
                   });
    command.add_option("--outdir", options.outdir, "the folder, made when missing, for the snippets")
        ->type_name("DIR")
        ->required();
    command.add_flag("-q,--quiet", options.quiet, "leave out the line per file; errors still show");
}

// What export's help says of the formats, from their table.
std::string export_summary()
{
    std::vector<std::string> formats, others;
    for (const file_export::Format_row& row : file_export::formats)
        (row.holds_mesh ? formats : others)
            .push_back(row.extension + std::string(*row.note ? " (" + std::string(row.note) + ")" : ""));
    std::vector<std::string> units;
    for (const auto& [row, titles] :
         file_export::titles_by([](const file_export::Format_row& row) { return row.unit.millimetres; }))
        units.push_back(std::string("a ") + row->unit.name + " in " + titles);
    // "STL, PLY and 3MF stand on Z, OBJ and glb on Y"
    std::string ups;
    for (const auto& [row, titles] : file_export::titles_by([](const file_export::Format_row& row) { return row.up; }))
        ups += (ups.empty() ? "" : ", ") + titles + (ups.empty() ? " stand on " : " on ") +
               (row->up == mesh::Up::z ? "Z" : "Y");
    return "Write each shape as a closed, printable mesh: " + runtime::listed(formats, "or") + ", or as " +
           runtime::listed(others, "or") + ". One unit is " + runtime::listed(units, "and") +
           "; the editor's shapes are about 2 units across. " + ups + ".";
}

struct Command_row {
    const char* name;
    std::string (*summary)();
    // Shown after the flags, and in the manual's EXAMPLES.
    const char* examples;
    void (*add_flags)(CLI::App& command, Command_line& line);
    int (*run)(const Command_line& line, Console& console);
};

// Every command, in the order --help lists them.
const Command_row command_table[] = {
    {"info",
     [] {
         return std::string("Print each shape's parameters and its mesh: counts, bounding box, extent, closedness, "
                            "area and volume.");
     },
     "Examples:\n  shapetool info shapes --json\n", add_info_flags,
     [](const Command_line& line, Console& console) { return info(line.info, console); }},
    {"export", export_summary,
     "Examples:\n  shapetool export shapes/star.bas -o star.stl --fit 40\n"
     "  shapetool export shapes --outdir meshes --format glb\n"
     "  shapetool export --m 6 --n1 0.5 --slices 200 --bands 200 -o flower.3mf\n"
     "  shapetool export - --format stl -o - < star.bas > star.stl\n",
     add_export_flags,
     [](const Command_line& line, Console& console) { return export_meshes(line.export_options, console); }},
    {"render",
     [] { return std::string("Draw each shape as the editor does, in its colour on black, into a PNG file."); },
     "Examples:\n  shapetool render shapes/star.bas -o star.png --size 1280x960\n"
     "  shapetool render shapes --outdir pictures --solid --turn 30\n",
     add_render_flags, [](const Command_line& line, Console& console) { return render(line.render, console); }},
    {"gallery",
     [] { return std::string("Draw one contact sheet: a thumbnail per snippet, each with its file name under it."); },
     "Examples:\n  shapetool gallery shapes -o gallery.png --columns 4 --solid\n", add_gallery_flags,
     [](const Command_line& line, Console& console) { return gallery(line.gallery, console); }},
    {"animate",
     [] {
         return std::string(
             "Draw an animation without a display: one shape turning a full circle about its vertical axis, or a "
             "morph through several shapes in order, each leg eased in and out, every parameter blended (both sets, "
             "the colour; a, b and n1 through their reciprocals; counts rounded). The framing holds every frame. A "
             "frame that cannot be meshed refuses the whole animation before anything is written.");
     },
     "Examples:\n  shapetool animate shapes/star.bas -o star.webp\n"
     "  shapetool animate bud.bas lemon.bas --loop --turn 90 -o morph.gif\n"
     "  shapetool animate shapes/star.bas --wire --frames 120 --frames-dir frames\n",
     add_animate_flags, [](const Command_line& line, Console& console) { return animate(line.animate, console); }},
    {"random",
     [] {
         return std::string("Write snippets of random shapes, the editor's draws for a seed: each set and the colour "
                            "unless kept, at a 100 x 100 grid unless given; parameter flags fix their values.");
     },
     "Examples:\n  shapetool random --count 100 --seed 7 --outdir cand\n  shapetool gallery cand -o cand.png\n"
     "  shapetool random --seed 7 --keep n1,color --m 5 --outdir cand\n",
     add_random_flags, [](const Command_line& line, Console& console) { return random_shapes(line.random, console); }},
};

const Command_row* command_named(std::string_view name)
{
    for (const Command_row& row : command_table)
        if (name == row.name)
            return &row;
    return nullptr;
}

// The commands' names as a list ending in `last`.
std::string command_list(const char* last)
{
    std::vector<std::string> names;
    for (const Command_row& row : command_table)
        names.push_back(row.name);
    return runtime::listed(names, last);
}

} // namespace

std::optional<int> parse_command_line(int argc, const char* const argv[], Command_line& line, Console& console)
{
    if (argc < 2)
        return usage_error(console,
                           "name a command: " + command_list("or") + " (shapetool --help says what each does)");
    const std::string first = argv[1];
    if (first.empty() || (first[0] != '-' && !command_named(first)))
        return usage_error(console, "\"" + first + "\" is no command; the commands are " + command_list("and"));

    CLI::App app("Turns snippets saved by the supershape editor into meshes and pictures, without a display.",
                 "shapetool");
    app.formatter(help_formatter());
    app.set_help_flag("-h,--help", "print this help and exit");
    app.set_version_flag("--version", version_text, "print the version and exit");
    app.require_subcommand(1);
    app.footer(parameters_help());
    for (const Command_row& row : command_table) {
        CLI::App* command = app.add_subcommand(row.name, row.summary());
        row.add_flags(*command, line);
        command->footer(row.examples);
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& asked) {
        // Help and the version are successes, printed on standard output.
        return app.exit(asked, console.out, console.err);
    } catch (const CLI::ParseError& error) {
        return usage_error(console, usage_line(error, app));
    }
    for (const CLI::App* parsed : app.get_subcommands())
        line.command = parsed->get_name();
    return std::nullopt;
}

int run(const Command_line& line, Console& console)
{
    const Command_row* row = command_named(line.command);
    return row ? row->run(line, console) : exit_usage;
}

int run(int argc, const char* const argv[], Console& console)
{
    Command_line line;
    if (const std::optional<int> done = parse_command_line(argc, argv, line, console))
        return *done;
    return run(line, console);
}

} // namespace shapetool
