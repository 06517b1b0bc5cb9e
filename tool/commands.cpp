// The mesh commands: each shape is read, meshed like the editor's Reset and
// then measured or written. A bad file is reported and the batch goes on.
#include "tool/commands.h"

#include "mesh/formats.h"
#include "mesh/metadata.h"
#include "mesh/statistics.h"
#include "tool/shapes.h"

#include <nlohmann/json.hpp>

namespace shapetool {

void Parameter_flags::apply(Tparams& params) const
{
    for (int i = 0; i < record::saved_field_count; ++i)
        if (given[i])
            record::copy_field(record::saved_fields[i], values, params);
}

namespace {

nlohmann::json json_vector(const Nsupershape::Tvector3& v)
{
    return {mesh::json_number(v.x), mesh::json_number(v.y), mesh::json_number(v.z)};
}

std::string range_text(float low, float high)
{
    return record::shortest_text(low) + " to " + record::shortest_text(high);
}

void print_statistics(std::ostream& out, const std::string& name, const Tparams& params,
                      const mesh::Mesh_statistics& s)
{
    out << name << '\n'
        << "  parameters  " << mesh::parameter_text(params) << '\n'
        << "  mesh        " << grouped(s.vertex_count) << " vertices, " << grouped(s.triangle_count)
        << " triangles, " << (s.closed ? "closed" : "not closed") << '\n'
        << "  bounds      x " << range_text(s.box.min.x, s.box.max.x) << ", y " << range_text(s.box.min.y, s.box.max.y)
        << ", z " << range_text(s.box.min.z, s.box.max.z) << '\n'
        << "  area        " << s.integrals.area << '\n'
        << "  volume      " << s.integrals.volume << '\n';
}

} // namespace

int info(const Info_options& options, Console& console)
{
    if (options.inputs.files.empty() && !options.inputs.flags.any())
        return usage_error(console, "info: name snippet files or give parameter flags");
    const std::vector<Named_shape> shapes = read_shapes(options.inputs);
    int status = exit_success;
    nlohmann::json report = nlohmann::json::array();
    for (const Named_shape& shape : shapes) {
        std::string error = shape.status.message;
        Meshed_shape meshed;
        if (shape.params) {
            const Status meshing =
                meshed.make(*shape.params, options.raw ? Meshed_shape::Kind::raw : Meshed_shape::Kind::closed);
            if (!meshing.ok())
                error = shape.name + ": " + meshing.message;
        }
        if (!error.empty()) {
            status = worse(status, exit_bad_input);
            console.err << error << '\n';
            if (options.json)
                report.push_back({{"file", shape.name}, {"error", error}});
            continue;
        }
        const mesh::Mesh_statistics statistics = mesh::measure(meshed.view());
        if (options.json) {
            report.push_back({
                {"file", shape.name},
                {"parameters", mesh::parameter_json(*shape.params)},
                {"vertices", statistics.vertex_count},
                {"triangles", statistics.triangle_count},
                {"bounds", {{"min", json_vector(statistics.box.min)}, {"max", json_vector(statistics.box.max)}}},
                {"closed", statistics.closed},
                {"area", statistics.integrals.area},
                {"volume", statistics.integrals.volume},
            });
        } else {
            print_statistics(console.out, shape.name, *shape.params, statistics);
        }
    }
    if (options.json)
        console.out << report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    return status;
}

int export_meshes(const Export_options& options, Console& console)
{
    const std::optional<mesh::Format> format =
        options.output.empty() ? mesh::format_named(options.format) : mesh::format_for_path(options.output);
    if (!format)
        return usage_error(console, "export: the format must be one of stl, obj, ply, glb, 3mf");
    std::string problem;
    const std::vector<std::string> outputs =
        plan_outputs(options.inputs, options.output, options.outdir, mesh::extension_of(*format), problem);
    if (!problem.empty())
        return usage_error(console, "export: " + problem);

    const auto kind = options.raw ? Meshed_shape::Kind::raw : Meshed_shape::Kind::closed;
    return write_each(read_shapes(options.inputs), kind, outputs, console,
                      [&](const Named_shape& shape, const Meshed_shape& meshed, const std::string& output) {
                          return write_whole(output, [&](std::FILE* file) {
                              return mesh::write_mesh(*format, file, meshed.view(), *shape.params);
                          });
                      });
}

} // namespace shapetool
