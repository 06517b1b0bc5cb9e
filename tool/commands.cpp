// The mesh commands: each shape is read, meshed like the editor's Reset and
// then measured or written. A bad file is reported and the batch goes on.
#include "tool/commands.h"

#include "mesh/statistics.h"
#include "mesh/writers.h"
#include "tool/shapes.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>

namespace shapetool {

bool Parameter_flags::any() const
{
    return a || b || m || n1 || n2 || n3 || radius || scale || slices || bands || color;
}

void Parameter_flags::apply(Tparams& params) const
{
    const std::pair<const std::optional<float>&, float&> floats[] = {
        {a, params.a},   {b, params.b},   {m, params.m},           {n1, params.n1},
        {n2, params.n2}, {n3, params.n3}, {radius, params.radius}, {scale, params.scale},
    };
    for (const auto& [flag, field] : floats)
        if (flag)
            field = *flag;
    if (slices)
        params.slices = *slices;
    if (bands)
        params.bands = *bands;
    if (color)
        std::copy(color->begin(), color->end(), params.color);
}

namespace {

std::string shortest(float value)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// A float as the shortest decimal that reads back to it, as a JSON number.
double json_number(float value)
{
    const std::string text = shortest(value);
    double number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

nlohmann::json json_parameters(const Tparams& p)
{
    return {
        {"a", json_number(p.a)},         {"b", json_number(p.b)},   {"m", json_number(p.m)},
        {"n1", json_number(p.n1)},       {"n2", json_number(p.n2)}, {"n3", json_number(p.n3)},
        {"radius", json_number(p.radius)}, {"slices", p.slices},    {"bands", p.bands},
        {"scale", json_number(p.scale)},
        {"color", {p.color[0], p.color[1], p.color[2], p.color[3]}},
        // Saved text is 8-bit; anything that is not UTF-8 is replaced on output.
        {"rot_str", p.rot_str},
    };
}

nlohmann::json json_vector(const Nsupershape::Tvector3& v)
{
    return {json_number(v.x), json_number(v.y), json_number(v.z)};
}

std::string range_text(float low, float high)
{
    return shortest(low) + " to " + shortest(high);
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
        std::string error = shape.error;
        Meshed_shape meshed;
        if (shape.params) {
            const std::string reason =
                meshed.make(*shape.params, options.raw ? Meshed_shape::Kind::raw : Meshed_shape::Kind::closed);
            if (!reason.empty())
                error = shape.name + ": " + reason;
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
                {"parameters", json_parameters(*shape.params)},
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
