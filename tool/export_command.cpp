// shapetool export: each shape read, meshed like the editor's Reset and
// written in its format; a bad file is reported and the batch goes on.
#include "tool/export_command.h"

#include "export/file_output.h"
#include "export/formats.h"
#include "export/number_text.h"
#include "export/print_ready.h"
#include "mesh/simplify.h"
#include "runtime/text.h"
#include "tool/batch.h"
#include "tool/command_line.h"
#include "tool/flags.h"
#include "tool/write_output.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <limits>

namespace shapetool {
namespace {

// The --scale flag's place among the saved fields.
const int scale_field = int(params::field_named("scale") - params::saved_fields);

// Why export cannot write `options` as asked, as a usage error; empty when
// it can, with the format in `format`.
std::string refused_format(const Export_options& options, const Console& console,
                           const file_export::Format_row*& format)
{
    const bool to_standard_output = options.output == standard_stream;
    if (!options.format.empty() && !options.output.empty() && !to_standard_output)
        return "-o FILE takes the format from its extension; leave out --format";
    format = options.format.empty() ? file_export::mesh_format_for_path(options.output)
                                    : file_export::format_named(options.format);
    if (!format) {
        std::string others;
        for (const file_export::Format_row& row : file_export::formats)
            if (&row != file_export::formats)
                others += (others.empty() ? "(or ." : ", .") + std::string(row.extension);
        return "say the format with -o NAME." + std::string(file_export::formats[0].extension) + " " + others +
               "), or --format " + file_export::format_choices() + " with --outdir or -o -";
    }
    if (to_standard_output && format->encoding == file_export::Encoding::binary && console.out_is_terminal)
        return std::string(format->extension) +
               " is binary; redirect standard output to a file or a pipe, or give -o FILE";
    if (!format->holds_mesh && (options.raw || options.fit > 0 || options.up))
        return std::string(format->extension) + " holds no mesh; leave out --raw, --fit and --up";
    if (!format->holds_mesh && (options.base > 0 || options.triangles > 0 || options.shell > 0))
        return std::string(format->extension) + " holds no mesh; leave out --base, --triangles and --shell";
    return "";
}

void add_export_flags(CLI::App& command, Export_options& options)
{
    add_shape_inputs(command, options.inputs);
    CLI::Option* output =
        add_path_flag(command, "-o,--output", options.output,
                      "the output file, for one shape; its extension gives the format; - for standard output with "
                      "--format (an OBJ there has no material file); an OBJ's material file is named after it, with "
                      "blanks, control characters, #, \\ and % as %XX" +
                          output_rules,
                      "FILE");
    CLI::Option* outdir = add_path_flag(command, "--outdir", options.outdir,
                                        "the folder, made when missing, for one file per shape; not a dangling link",
                                        "DIR");
    command.add_option("--format", options.format, "the format, with --outdir or -o -")
        ->type_name(file_export::format_choices());
    output->excludes(outdir);
    add_fit_flag(command, options.fit, " (glb: MM / 1000 metres)");
    add_up_flag(command, options.up, "(default: the format's)");
    CLI::Option* base = add_base_flag(command, options.base, ", in the same millimetres as --fit");
    CLI::Option* shell = add_shell_flag(command, options.shell, ", in the same millimetres as --fit");
    add_drain_flag(command, options.drain, ", in the same millimetres as --fit")->needs(shell);
    const std::string least = std::to_string(mesh::least_triangles);
    CLI::Option* triangles = add_value_flag(
        command, "--triangles",
        "at most N triangles, from " + least +
            ": the mesh made coarser where it is flattest, after the fit and the base; the summary says how far it "
            "strays from the whole mesh",
        "N", [&options, least](const std::string& text) {
            options.triangles = std::size_t(
                whole_number("--triangles", text, int(mesh::least_triangles), std::numeric_limits<int>::max()));
        });
    // The inner surface would take triangles beyond the budget.
    triangles->excludes(shell);
    command
        .add_flag("--raw", options.raw,
                  "write the editor's own grid and triangle list as they are, not the closed mesh")
        ->excludes(base)
        ->excludes(triangles)
        ->excludes(shell);
    command.add_flag("--no-normals", options.no_normals,
                     "write OBJ without vertex normals: smaller, and shaded flat or by its smoothing group");
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

} // namespace

int export_meshes(const Export_options& options, Console& console)
{
    const file_export::Format_row* format = nullptr;
    std::string refused = refused_format(options, console, format);
    const Output_request request{Output_request::Kind::each_shape, options.output,     options.outdir,
                                 format ? format->extension : "",  std::move(refused), format};
    Batch batch;
    if (const std::optional<int> stopped = start_batch("export", options.inputs, request, console, batch))
        return *stopped;

    const bool to_standard_output = options.output == standard_stream;
    const mesh::Placement placement{options.up.value_or(format->up), options.fit, options.base};
    const auto kind = !format->holds_mesh ? Meshed_shape::Kind::none
                      : options.raw       ? Meshed_shape::Kind::raw
                                          : Meshed_shape::Kind::closed;
    // Slicers print what is read in millimetres at that size, which the
    // editor's shapes make about 2 mm across: say so unless a size was asked.
    const bool printed_as_is = format->unit.millimetres == file_export::millimetre.millimetres && options.fit == 0 &&
                               !options.inputs.flags.given[scale_field];
    return write_each(
        batch.shapes, kind, batch.outputs, options.inputs.quiet, console,
        [&](Named_shape& shape, Meshed_shape& meshed, const std::string& output, Written& written) {
            file_export::Print_words words;
            if (format->holds_mesh)
                if (const Status made = kind == Meshed_shape::Kind::closed
                                            ? file_export::make_print_ready(
                                                  meshed.mesh(),
                                                  {placement, options.triangles, options.shell, options.drain, {}},
                                                  format->unit.millimetres, words)
                                            : mesh::place(meshed.mesh(), placement, format->unit.millimetres);
                    !made.ok())
                    return runtime::failure(made.kind, output, made.message);
            // A shape without a file of its own is named after its output.
            const bool unnamed = shape.path.empty() || shape.path == standard_stream;
            const std::string name =
                unnamed && output != standard_stream ? std::filesystem::path(output).stem().string() : shape.stem;
            file_export::Export_mesh file{meshed.view(), name, *shape.params, "", !options.no_normals};
            written.summary = !format->holds_mesh ? "snippet"
                              : !words.triangles.empty()
                                  ? words.triangles
                                  : file_export::grouped(file.mesh.triangle_count) + " triangles";
            for (const std::string* said : {&words.shell, &words.warning})
                written.summary += said->empty() ? "" : "; " + *said;
            const std::string written_to = to_standard_output ? "standard output" : output;
            if (printed_as_is)
                written.notice = written_to + " prints " +
                                 file_export::print_size(file.mesh, format->unit.millimetres) +
                                 "; --fit MM sets its largest side";
            // A resin printer would seal its liquid inside.
            if (options.shell > 0 && options.drain == 0)
                written.notice += (written.notice.empty() ? written_to : "; it") +
                                  " is hollow with no drain: resin or powder stays inside";
            if (to_standard_output)
                return write_output(output, [&](std::FILE* out) { return format->write(out, file); });
            return file_export::write_format_file(output, *format, file);
        });
}

const Command_row export_command{
    "export", export_summary,
    "Examples:\n  shapetool export shapes/star.bas -o star.stl --fit 40\n"
    "  shapetool export shapes --outdir meshes --format glb\n"
    "  shapetool export --m 6 --n1 0.5 --slices 200 --bands 200 -o flower.3mf\n"
    "  shapetool export - --format stl -o - < star.bas > star.stl\n",
    [](CLI::App& command, Command_line& line) { add_export_flags(command, line.export_options); },
    [](const Command_line& line, Console& console) { return export_meshes(line.export_options, console); }};

} // namespace shapetool
