// shapetool info: each shape read, meshed like the editor's Reset and
// measured; a bad file is reported and the batch goes on.
#include "tool/info_command.h"

#include "export/formats.h"
#include "export/metadata.h"
#include "export/number_text.h"
#include "mesh/print_measures.h"
#include "mesh/statistics.h"
#include "tool/batch.h"
#include "tool/command_line.h"
#include "tool/flags.h"
#include "tool/meshed_shape.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

namespace shapetool {
namespace {

using file_export::Extent;
using file_export::grouped;
using file_export::side_text;

nlohmann::json json_vector(const Nsupershape::Tvector3& v)
{
    return {file_export::json_number(v.x), file_export::json_number(v.y), file_export::json_number(v.z)};
}

std::string range_text(float low, float high)
{
    return params::shortest_text(low) + " to " + params::shortest_text(high);
}

double side_json(double side)
{
    return file_export::fits_float(side) ? file_export::json_number(static_cast<float>(side)) : side;
}

// "1 is 1 mm in STL, OBJ, PLY and 3MF, 1 m in glb"
std::string units_text()
{
    std::string text = "1 is";
    for (const auto& [row, titles] :
         file_export::titles_by([](const file_export::Format_row& row) { return row.unit.millimetres; }))
        text += (text.size() > 4 ? ", 1 " : " 1 ") + std::string(row->unit.symbol) + " in " + titles;
    return text;
}

void print_statistics(std::ostream& out, const std::string& name, const Tparams& params, const mesh::Mesh_statistics& s,
                      const Extent& size)
{
    out << name << '\n'
        << "  parameters  " << file_export::parameter_text(params) << '\n'
        << "  mesh        " << grouped(s.vertex_count) << " vertices, " << grouped(s.triangle_count) << " triangles, "
        << (s.closed ? "closed" : "not closed") << '\n'
        << "  bounds      x " << range_text(s.box.min.x, s.box.max.x) << ", y " << range_text(s.box.min.y, s.box.max.y)
        << ", z " << range_text(s.box.min.z, s.box.max.z) << '\n'
        << "  extent      " << side_text(size.x) << " x " << side_text(size.y) << " x " << side_text(size.z) << " ("
        << units_text() << ")\n"
        << "  area        " << s.integrals.area << '\n'
        << "  volume      " << s.integrals.volume << '\n';
}

// The format whose placement --print measures unless told: a printer's.
const file_export::Format_row& printed_format()
{
    return *file_export::format_named("stl");
}

// How the shape would print, placed in `mesh` as export places it.
struct Print_report {
    std::string size;
    Extent sides;
    mesh::Up up = mesh::Up::z;
    mesh::Print_measures measures;
    double mass = 0;
    // Empty when it stands on enough.
    std::string warning;
    // With --shell: the material's volume and mass, and its walls.
    double shell_volume = 0;
    double shell_mass = 0;
    mesh::Shell_report shell;
};

Status report_print(const Info_options& options, mesh::Triangle_mesh& placed, Print_report& report)
{
    const file_export::Format_row& format = printed_format();
    report.up = options.up.value_or(format.up);
    const double unit = format.unit.millimetres;
    if (const Status done = mesh::place(placed, {report.up, options.fit, options.base}, unit); !done.ok())
        return done;
    report.size = file_export::print_size(placed.view(), unit, 4);
    const Extent sides = file_export::extent(mesh::bounding_box(placed.view()));
    report.sides = {sides.x * unit, sides.y * unit, sides.z * unit};
    report.measures = mesh::measure_print(placed.view(), report.up, mesh::contact_height / unit);
    // Cubic millimetres to cubic centimetres.
    report.mass = report.measures.volume * options.density / 1000;
    report.warning = file_export::contact_warning(placed.view(), report.up, unit, options.base > 0);
    if (options.shell > 0) {
        if (const Status hollowed = mesh::hollow(placed, options.shell, unit, report.shell); !hollowed.ok())
            return hollowed;
        report.shell_volume = mesh::surface_integrals(placed.view()).volume * unit * unit * unit;
        report.shell_mass = report.shell_volume * options.density / 1000;
    }
    return {};
}

void print_print_report(std::ostream& out, const Print_report& report, const Info_options& options)
{
    const mesh::Print_measures& m = report.measures;
    out << "  print       " << report.size << ", standing on " << (report.up == mesh::Up::z ? "Z" : "Y") << '\n'
        << "  solid       " << file_export::rounded_text(m.volume, 4) << " mm³, "
        << file_export::rounded_text(report.mass, 3) << " g at " << file_export::rounded_text(options.density, 4)
        << " g/cm³ (a slicer's infill makes a print lighter)\n"
        << "  contact     " << file_export::rounded_text(m.contact_area, 3) << " mm², "
        << file_export::rounded_text(mesh::contact_height, 2) << " mm above the lowest point"
        << (m.flat_area > 0 ? ", " + file_export::rounded_text(m.flat_area, 3) + " mm² flat on the bed" : "") << '\n'
        << "  overhang    " << file_export::rounded_text(100 * m.overhang_share, 3) << " % of the surface beyond "
        << file_export::rounded_text(mesh::overhang_degrees, 2) << "°\n";
    if (options.shell > 0)
        out << "  shell       " << file_export::rounded_text(report.shell_volume, 4) << " mm³, "
            << file_export::rounded_text(report.shell_mass, 3) << " g, "
            << file_export::shell_summary(report.shell, options.shell) << '\n';
    if (!report.warning.empty())
        out << "  warning     " << report.warning << '\n';
}

nlohmann::json print_json(const Print_report& report, const Info_options& options)
{
    const mesh::Print_measures& m = report.measures;
    const Extent& size = report.sides;
    return {{"size_mm", {side_json(size.x), side_json(size.y), side_json(size.z)}},
            {"up", report.up == mesh::Up::z ? "z" : "y"},
            {"volume_mm3", m.volume},
            {"density_g_cm3", options.density},
            {"mass_g", report.mass},
            {"contact_mm2", m.contact_area},
            {"overhang_share", m.overhang_share},
            {"flat_mm2", m.flat_area},
            {"warning", report.warning},
            {"shell", options.shell > 0 ? nlohmann::json{{"wall_mm", options.shell},
                                                         {"volume_mm3", report.shell_volume},
                                                         {"mass_g", report.shell_mass},
                                                         {"thinnest_wall_mm", report.shell.thinnest_wall},
                                                         {"solid_places", report.shell.solid_places}}
                                        : nlohmann::json()}};
}

void add_info_flags(CLI::App& command, Info_options& options)
{
    add_shape_inputs(command, options.inputs);
    command.add_flag("--json", options.json, "print one JSON document for scripts");
    CLI::Option* raw =
        command.add_flag("--raw", options.raw, "measure the editor's own grid instead of the closed mesh");
    CLI::Option* print = command.add_flag(
        "--print", options.print,
        "say how each would print as STL: size in millimetres, volume, solid mass, the area it stands on (the "
        "section " +
            file_export::rounded_text(mesh::contact_height, 2) +
            " mm above its lowest point) and the share of its "
            "surface that overhangs beyond " +
            file_export::rounded_text(mesh::overhang_degrees, 2) + " degrees");
    print->excludes(raw);
    options.density = mesh::pla_density;
    add_fit_flag(command, options.fit, ", as export --fit writes it; with --print")->needs(print);
    add_base_flag(command, options.base, ", as export --base writes it; with --print")->needs(print);
    add_shell_flag(command, options.shell, ", as export --shell writes it; with --print")->needs(print);
    add_up_flag(command, options.up, "(default z), as export --up writes it; with --print")->needs(print);
    add_value_flag(command, "--density",
                   "grams per cubic centimetre of the solid, above 0 and at most 100 (default PLA's " +
                       file_export::rounded_text(mesh::pla_density, 3) + "); with --print",
                   "G_CM3",
                   [&options](const std::string& text) {
                       options.density = finite_number("--density", text, 0, 100,
                                                       "grams per cubic centimetre above 0 and at most 100");
                       if (!(options.density > 0))
                           refuse("--density", "grams per cubic centimetre above 0 and at most 100", text);
                   })
        ->needs(print);
}

} // namespace

int info(const Info_options& options, Console& console)
{
    Batch batch;
    if (const std::optional<int> stopped = start_batch("info", options.inputs, {}, console, batch))
        return *stopped;
    int status = exit_success;
    nlohmann::json report_json = nlohmann::json::array();
    for (const Named_shape& shape : batch.shapes) {
        Status failed = shape.status;
        Meshed_shape meshed;
        mesh::Mesh_statistics statistics;
        Print_report print;
        if (shape.params) {
            failed = meshed.make(*shape.params, options.raw ? Meshed_shape::Kind::raw : Meshed_shape::Kind::closed);
            if (failed.ok())
                statistics = mesh::measure(meshed.view());
            // Placed after it is measured, so that the plain report stays the editor's mesh.
            if (failed.ok() && options.print)
                failed = report_print(options, meshed.mesh(), print);
            if (!failed.ok())
                failed.message = shape.name + ": " + failed.message;
        }
        if (!failed.ok()) {
            status = worse(status, exit_status_of(failed));
            report(console, failed.message);
            if (options.json)
                report_json.push_back({{"file", shape.name}, {"error", failed.message}});
            continue;
        }
        const Extent size = file_export::extent(statistics.box);
        if (options.json) {
            report_json.push_back({
                {"file", shape.name},
                {"parameters", file_export::parameter_json(*shape.params)},
                {"vertices", statistics.vertex_count},
                {"triangles", statistics.triangle_count},
                {"bounds", {{"min", json_vector(statistics.box.min)}, {"max", json_vector(statistics.box.max)}}},
                {"extent", {side_json(size.x), side_json(size.y), side_json(size.z)}},
                {"closed", statistics.closed},
                {"area", statistics.integrals.area},
                {"volume", statistics.integrals.volume},
            });
            if (options.print)
                report_json.back()["print"] = print_json(print, options);
        } else {
            print_statistics(console.out, shape.name, *shape.params, statistics, size);
            if (options.print)
                print_print_report(console.out, print, options);
        }
    }
    if (options.json)
        console.out << report_json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    return status;
}

const Command_row info_command{
    "info",
    [] {
        return std::string("Print each shape's parameters and its mesh: counts, bounding box, extent, closedness, "
                           "area and volume.");
    },
    "Examples:\n  shapetool info shapes --json\n",
    [](CLI::App& command, Command_line& line) { add_info_flags(command, line.info); },
    [](const Command_line& line, Console& console) { return info(line.info, console); }};

} // namespace shapetool
