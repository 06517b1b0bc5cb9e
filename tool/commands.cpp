// The mesh commands: each shape is read, meshed like the editor's Reset and
// then measured or written. A bad file is reported and the batch goes on.
#include "tool/commands.h"

#include "export/formats.h"
#include "export/metadata.h"
#include "mesh/statistics.h"
#include "output/atomic_file.h"
#include "runtime/text.h"
#include "tool/shapes.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

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

// The --scale flag's place among the saved fields.
const int scale_field = int(params::field_named("scale") - params::saved_fields);

nlohmann::json json_vector(const Nsupershape::Tvector3& v)
{
    return {file_export::json_number(v.x), file_export::json_number(v.y), file_export::json_number(v.z)};
}

std::string range_text(float low, float high)
{
    return params::shortest_text(low) + " to " + params::shortest_text(high);
}

using Extent = Nsupershape::Vector3<double>;

// In double: the sides of a box of floats may pass the largest float.
Extent extent(const mesh::Box& box)
{
    return {double(box.max.x) - box.min.x, double(box.max.y) - box.min.y, double(box.max.z) - box.min.z};
}

// A side as the float it rounds to, as the bounds are given, or as the
// double beyond the floats.
bool fits_float(double side)
{
    return std::fabs(side) <= std::numeric_limits<float>::max();
}
std::string side_text(double side)
{
    if (fits_float(side))
        return params::shortest_text(static_cast<float>(side));
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, side).ptr);
}
double side_json(double side)
{
    return fits_float(side) ? file_export::json_number(static_cast<float>(side)) : side;
}

// The size a file prints at, such as "2 x 2 x 1.9 mm": the box's sides in
// millimetres to two digits.
std::string print_size(const mesh::Mesh_view& mesh, double millimetres_per_unit)
{
    const Extent size = extent(mesh::bounding_box(mesh));
    std::string text;
    for (const double side : {size.x, size.y, size.z}) {
        // Rounded through its text, which std::to_chars writes in any locale.
        char digits[32];
        double rounded = 0;
        std::from_chars(
            digits,
            std::to_chars(digits, digits + sizeof digits, side * millimetres_per_unit, std::chars_format::general, 2)
                .ptr,
            rounded);
        text += (text.empty() ? "" : " x ") + side_text(rounded);
    }
    return text + " mm";
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

// `name` with each byte that OBJ's readers would take apart (blanks, line
// ends, '#', '\\'), '%' itself and '~', which marks a shortened name, written
// as %XX, so that no two names give the same text.
std::string escaped(const std::string& name)
{
    std::string text;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 0x7f || c == '%' || c == '#' || c == '\\' || c == '~') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", byte);
            text += code;
        } else {
            text += c;
        }
    }
    return text;
}

// FNV-1a: the same on every build, unlike std::hash.
std::uint64_t fingerprint(const std::string& text)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : text)
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    return hash;
}

// The companion beside `target`, named after it so that no other name leads
// to the same one: escaped, the format's extension left out and any other
// kept with its dot as %2E ("star.obj" has "star.mtl", "a b.obj"
// "a%20b.mtl", "a.OBJ" "a%2EOBJ.mtl"). A name that escaping makes too long
// for the file system is cut, and ends in '~' and a fingerprint of the whole.
std::string companion_path(const std::string& target, const file_export::Format_row& format)
{
    const std::filesystem::path path(target);
    const std::string extension = path.extension().string();
    std::string name = escaped(path.stem().string());
    if (extension != "." + std::string(format.extension))
        name += "%2E" + escaped(extension.substr(extension.empty() ? 0 : 1));
    const std::size_t room = NAME_MAX - 1 - std::strlen(format.companion.extension);
    if (name.size() > room) {
        char mark[18];
        std::snprintf(mark, sizeof mark, "~%016llx",
                      static_cast<unsigned long long>(fingerprint(path.filename().string())));
        name = name.substr(0, room - (sizeof mark - 1)) + mark;
    }
    return (path.parent_path() / (name + "." + format.companion.extension)).string();
}

// The file and its companion beside it, published together.
Status write_with_companion(const std::string& target, const file_export::Format_row& format,
                            file_export::Export_mesh& file)
{
    const std::string companion = companion_path(target, format);
    file.companion_file = std::filesystem::path(companion).filename().string();
    output::Atomic_file companion_out(companion);
    if (companion_out.status().ok())
        if (const Status written = format.companion.write(companion_out.stream(), file); !written.ok())
            return runtime::failure(written.kind, companion, written.message);
    if (!companion_out.status().ok())
        return companion_out.status();
    output::Atomic_file main_out(target);
    if (main_out.status().ok())
        if (const Status written = format.write(main_out.stream(), file); !written.ok())
            return runtime::failure(written.kind, target, written.message);
    return main_out.commit_with(companion_out);
}

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
        const Extent size = extent(statistics.box);
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

int export_meshes(const Export_options& options, Console& console)
{
    const file_export::Format_row* format = nullptr;
    Output_request request{Output_request::Kind::each_shape, options.output, options.outdir, "", {}, {}};
    // The format, and with it the outputs' extension, is known once the
    // batch's start asks whether the output is refused.
    request.refused = [&] {
        const std::string problem = refused_format(options, console, format);
        if (format)
            request.extension = format->extension;
        if (format && format->companion.extension)
            request.companion = [format](const std::string& output) { return companion_path(output, *format); };
        return problem;
    };
    Batch batch;
    if (const std::optional<int> stopped = start_batch("export", options.inputs, request, console, batch))
        return *stopped;

    const bool to_standard_output = options.output == standard_stream;
    const mesh::Placement placement{options.up.value_or(format->up), options.fit};
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
            if (format->holds_mesh)
                if (const Status placed = mesh::place(meshed.mesh(), placement, format->unit.millimetres); !placed.ok())
                    return runtime::failure(placed.kind, output, placed.message);
            // A shape without a file of its own is named after its output.
            const bool unnamed = shape.path.empty() || shape.path == standard_stream;
            const std::string name =
                unnamed && output != standard_stream ? std::filesystem::path(output).stem().string() : shape.stem;
            file_export::Export_mesh file{meshed.view(), name, *shape.params, "", !options.no_normals};
            written.summary = format->holds_mesh ? grouped(file.mesh.triangle_count) + " triangles" : "snippet";
            if (printed_as_is)
                written.notice = (to_standard_output ? "standard output" : output) + " prints " +
                                 print_size(file.mesh, format->unit.millimetres) + "; --fit MM sets its largest side";
            if (format->companion.extension && !to_standard_output)
                return write_with_companion(output, *format, file);
            return write_output(output, [&](std::FILE* out) { return format->write(out, file); });
        });
}

} // namespace shapetool
