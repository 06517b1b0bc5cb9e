// shapetool info: each shape read, meshed like the editor's Reset and
// measured; a bad file is reported and the batch goes on.
#include "tool/info_command.h"

#include "export/formats.h"
#include "export/metadata.h"
#include "export/number_text.h"
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

void add_info_flags(CLI::App& command, Info_options& options)
{
    add_shape_inputs(command, options.inputs);
    command.add_flag("--json", options.json, "print one JSON document for scripts");
    command.add_flag("--raw", options.raw, "measure the editor's own grid instead of the closed mesh");
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
        if (shape.params) {
            failed = meshed.make(*shape.params, options.raw ? Meshed_shape::Kind::raw : Meshed_shape::Kind::closed);
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
        const mesh::Mesh_statistics statistics = mesh::measure(meshed.view());
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
        } else {
            print_statistics(console.out, shape.name, *shape.params, statistics, size);
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
