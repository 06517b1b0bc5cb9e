// The mesh commands: each shape is read, meshed like the editor's Reset and
// then measured or written. A bad file is reported and the batch goes on.
#include "tool/commands.h"

#include "mesh/formats.h"
#include "mesh/metadata.h"
#include "mesh/statistics.h"
#include "output/atomic_file.h"
#include "runtime/text.h"
#include "tool/shapes.h"

#include <nlohmann/json.hpp>

#include <filesystem>

namespace shapetool {

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

namespace {

nlohmann::json json_vector(const Nsupershape::Tvector3& v)
{
    return {mesh::json_number(v.x), mesh::json_number(v.y), mesh::json_number(v.z)};
}

std::string range_text(float low, float high)
{
    return params::shortest_text(low) + " to " + params::shortest_text(high);
}

Nsupershape::Tvector3 extent(const mesh::Box& box)
{
    return {box.max.x - box.min.x, box.max.y - box.min.y, box.max.z - box.min.z};
}

// "1 is 1 mm in STL, OBJ, PLY and 3MF, 1 m in glb"
std::string units_text()
{
    std::string text = "1 is";
    for (const auto& [row, titles] : mesh::titles_by([](const mesh::Format_row& row) { return row.unit.millimetres; }))
        text += (text.size() > 4 ? ", 1 " : " 1 ") + std::string(row->unit.symbol) + " in " + titles;
    return text;
}

void print_statistics(std::ostream& out, const std::string& name, const Tparams& params, const mesh::Mesh_statistics& s)
{
    const Nsupershape::Tvector3 size = extent(s.box);
    out << name << '\n'
        << "  parameters  " << mesh::parameter_text(params) << '\n'
        << "  mesh        " << grouped(s.vertex_count) << " vertices, " << grouped(s.triangle_count) << " triangles, "
        << (s.closed ? "closed" : "not closed") << '\n'
        << "  bounds      x " << range_text(s.box.min.x, s.box.max.x) << ", y " << range_text(s.box.min.y, s.box.max.y)
        << ", z " << range_text(s.box.min.z, s.box.max.z) << '\n'
        << "  extent      " << params::shortest_text(size.x) << " x " << params::shortest_text(size.y) << " x "
        << params::shortest_text(size.z) << " (" << units_text() << ")\n"
        << "  area        " << s.integrals.area << '\n'
        << "  volume      " << s.integrals.volume << '\n';
}

// The file and its companion beside it, each written whole; the companion
// is published first, so that the file never names a missing one.
Status write_with_companion(const std::string& target, const mesh::Format_row& format, mesh::Export_mesh& file)
{
    const std::filesystem::path path(target);
    // OBJ's mtllib takes file names apart at blanks.
    std::string companion = path.stem().string() + "." + format.companion.extension;
    std::replace(companion.begin(), companion.end(), ' ', '_');
    file.companion_file = companion;
    output::Atomic_file companion_out((path.parent_path() / companion).string());
    if (companion_out.status().ok())
        if (const Status written = format.companion.write(companion_out.stream(), file); !written.ok())
            return runtime::failure(written.kind, companion_out.target(), written.message);
    output::Atomic_file main_out(target);
    if (main_out.status().ok())
        if (const Status written = format.write(main_out.stream(), file); !written.ok())
            return runtime::failure(written.kind, target, written.message);
    if (!main_out.status().ok())
        return main_out.status();
    const Status companion_done = companion_out.commit();
    return companion_done.ok() ? main_out.commit() : companion_done;
}

// Why export cannot write `options` as asked, as a usage error; empty when
// it can, with the format in `format`.
std::string refused_format(const Export_options& options, const Console& console, const mesh::Format_row*& format)
{
    const bool to_standard_output = options.output == standard_stream;
    if (!options.format.empty() && !options.output.empty() && !to_standard_output)
        return "-o FILE takes the format from its extension; leave out --format";
    format = options.format.empty() ? mesh::format_for_path(options.output) : mesh::format_named(options.format);
    if (!format) {
        std::string others;
        for (const mesh::Format_row& row : mesh::formats)
            if (&row != mesh::formats)
                others += (others.empty() ? "(or ." : ", .") + std::string(row.extension);
        return "say the format with -o NAME." + std::string(mesh::formats[0].extension) + " " + others +
               "), or --format " + mesh::format_choices() + " with --outdir or -o -";
    }
    if (to_standard_output && format->encoding == mesh::Encoding::binary && console.out_is_terminal)
        return std::string(format->extension) +
               " is binary; redirect standard output to a file or a pipe, or give -o FILE";
    if (!format->holds_mesh && (options.raw || options.fit > 0 || options.up))
        return std::string(format->extension) + " holds no mesh; leave out --raw, --fit and --up";
    return "";
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
    const mesh::Format_row* format = nullptr;
    Output_request request{Output_request::Kind::each_shape, options.output, options.outdir, "", {}};
    // The format, and with it the outputs' extension, is known once the
    // batch's start asks whether the output is refused.
    request.refused = [&] {
        const std::string problem = refused_format(options, console, format);
        if (format)
            request.extension = format->extension;
        return problem;
    };
    Batch batch;
    if (const std::optional<int> stopped = start_batch("export", options.inputs, request, console, batch))
        return *stopped;

    const bool to_standard_output = options.output == standard_stream;
    const mesh::Placement placement{options.up.value_or(format->up), options.fit};
    const auto kind = options.raw ? Meshed_shape::Kind::raw : Meshed_shape::Kind::closed;
    return write_each(batch.shapes, kind, batch.outputs, options.inputs.quiet, console,
                      [&](Named_shape& shape, Meshed_shape& meshed, const std::string& output, std::string& summary) {
                          mesh::place(meshed.mesh(), placement, format->unit.millimetres);
                          // A shape without a file of its own is named after its output.
                          const bool unnamed = shape.path.empty() || shape.path == standard_stream;
                          const std::string name = unnamed && output != standard_stream
                                                       ? std::filesystem::path(output).stem().string()
                                                       : shape.stem;
                          mesh::Export_mesh file{meshed.view(), name, *shape.params, ""};
                          summary = grouped(file.mesh.triangle_count) + " triangles";
                          if (format->companion.extension && !to_standard_output)
                              return write_with_companion(output, *format, file);
                          return write_output(output, [&](std::FILE* out) { return format->write(out, file); });
                      });
}

} // namespace shapetool
