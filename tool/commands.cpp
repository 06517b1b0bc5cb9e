// The mesh commands: each shape is read, meshed like the editor's Reset and
// then measured or written. A bad file is reported and the batch goes on.
#include "tool/commands.h"

#include "mesh/formats.h"
#include "mesh/metadata.h"
#include "mesh/statistics.h"
#include "output/atomic_file.h"
#include "tool/shapes.h"

#include <nlohmann/json.hpp>

#include <filesystem>

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

Nsupershape::Tvector3 extent(const mesh::Box& box)
{
    return {box.max.x - box.min.x, box.max.y - box.min.y, box.max.z - box.min.z};
}

void print_statistics(std::ostream& out, const std::string& name, const Tparams& params,
                      const mesh::Mesh_statistics& s)
{
    const Nsupershape::Tvector3 size = extent(s.box);
    out << name << '\n'
        << "  parameters  " << mesh::parameter_text(params) << '\n'
        << "  mesh        " << grouped(s.vertex_count) << " vertices, " << grouped(s.triangle_count)
        << " triangles, " << (s.closed ? "closed" : "not closed") << '\n'
        << "  bounds      x " << range_text(s.box.min.x, s.box.max.x) << ", y " << range_text(s.box.min.y, s.box.max.y)
        << ", z " << range_text(s.box.min.z, s.box.max.z) << '\n'
        << "  extent      " << record::shortest_text(size.x) << " x " << record::shortest_text(size.y) << " x "
        << record::shortest_text(size.z) << " (1 is 1 mm in STL, OBJ, PLY and 3MF, 1 m in glb)\n"
        << "  area        " << s.integrals.area << '\n'
        << "  volume      " << s.integrals.volume << '\n';
}

// The OBJ file and its material file beside it, each written whole; the
// material is published first, so that the OBJ never names a missing one.
Status write_obj_with_material(const std::string& target, mesh::Export_mesh& file)
{
    const std::filesystem::path path(target);
    // mtllib takes file names apart at blanks.
    std::string material = path.stem().string() + ".mtl";
    std::replace(material.begin(), material.end(), ' ', '_');
    file.material_file = material;
    output::Atomic_file material_out((path.parent_path() / material).string());
    if (material_out.status().ok())
        if (const Status written = mesh::write_obj_material(material_out.stream(), file); !written.ok())
            return runtime::failure(written.kind, material_out.target() + ": cannot write: " + written.message);
    output::Atomic_file mesh_out(target);
    if (mesh_out.status().ok())
        if (const Status written = mesh::write_obj(mesh_out.stream(), file); !written.ok())
            return runtime::failure(written.kind, target + ": cannot write: " + written.message);
    if (!mesh_out.status().ok())
        return mesh_out.status();
    const Status material_done = material_out.commit();
    return material_done.ok() ? mesh_out.commit() : material_done;
}

} // namespace

int info(const Info_options& options, Console& console)
{
    if (options.inputs.files.empty() && !options.inputs.flags.any())
        return usage_error(console, "info: name snippet files or folders, or give parameter flags");
    std::vector<Named_shape> shapes = find_shapes(options.inputs);
    read_shapes(shapes, options.inputs.flags);
    int status = exit_success;
    nlohmann::json report_json = nlohmann::json::array();
    for (const Named_shape& shape : shapes) {
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
        if (options.json) {
            report_json.push_back({
                {"file", shape.name},
                {"parameters", mesh::parameter_json(*shape.params)},
                {"vertices", statistics.vertex_count},
                {"triangles", statistics.triangle_count},
                {"bounds", {{"min", json_vector(statistics.box.min)}, {"max", json_vector(statistics.box.max)}}},
                {"extent", json_vector(extent(statistics.box))},
                {"closed", statistics.closed},
                {"area", statistics.integrals.area},
                {"volume", statistics.integrals.volume},
            });
        } else {
            print_statistics(console.out, shape.name, *shape.params, statistics);
        }
    }
    if (options.json)
        console.out << report_json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    return status;
}

int export_meshes(const Export_options& options, Console& console)
{
    if (options.inputs.files.empty() && !options.inputs.flags.any())
        return usage_error(console, "export: name snippet files or folders, or give parameter flags");
    const bool to_standard_output = options.output == standard_stream;
    if (!options.format.empty() && !options.output.empty() && !to_standard_output)
        return usage_error(console, "export: -o FILE takes the format from its extension; leave out --format");
    const std::optional<mesh::Format> format = options.format.empty() ? mesh::format_for_path(options.output)
                                                                      : mesh::format_named(options.format);
    if (!format)
        return usage_error(console, "export: say the format with -o NAME.stl (or .obj, .ply, .glb, .3mf), or "
                                    "--format stl|obj|ply|glb|3mf with --outdir or -o -");
    if (to_standard_output && mesh::is_binary(*format) && console.out_is_terminal)
        return usage_error(console, std::string("export: ") + mesh::extension_of(*format) +
                                        " is binary; redirect standard output to a file or a pipe, or give -o FILE");
    std::vector<Named_shape> shapes = find_shapes(options.inputs);
    std::string problem;
    const std::vector<std::string> outputs =
        plan_outputs(shapes, options.output, options.outdir, mesh::extension_of(*format), problem);
    if (!problem.empty())
        return usage_error(console, "export: " + problem);
    read_shapes(shapes, options.inputs.flags);
    if (!options.outdir.empty())
        if (const Status made = make_folder(options.outdir); !made.ok()) {
            report(console, made.message);
            return exit_output_failed;
        }

    const mesh::Placement placement{options.up.value_or(mesh::default_up(*format)), options.fit};
    const auto kind = options.raw ? Meshed_shape::Kind::raw : Meshed_shape::Kind::closed;
    return write_each(shapes, kind, outputs, options.inputs.quiet, console,
                      [&](Named_shape& shape, Meshed_shape& meshed, const std::string& output, std::string& summary) {
                          mesh::place(meshed.mesh(), placement, mesh::millimetres_per_unit(*format));
                          // A shape without a file of its own is named after its output.
                          const bool unnamed = shape.path.empty() || shape.path == standard_stream;
                          const std::string name = unnamed && output != standard_stream
                                                       ? std::filesystem::path(output).stem().string()
                                                       : shape.stem;
                          mesh::Export_mesh file{meshed.view(), name, *shape.params, ""};
                          summary = grouped(file.mesh.triangle_count) + " triangles";
                          if (*format == mesh::Format::obj && !to_standard_output)
                              return write_obj_with_material(output, file);
                          return write_output(output, [&](std::FILE* out) { return mesh::write_mesh(*format, out, file); });
                      });
}

} // namespace shapetool
