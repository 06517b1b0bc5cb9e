// The commands: each shape is read, meshed like the editor's Reset and then
// measured or written. A bad file is reported and the batch goes on.
#include "tool/commands.h"

#include "app/Tparams.h"
#include "mesh/closed_mesh.h"
#include "mesh/statistics.h"
#include "mesh/writers.h"
#include "output/atomic_file.h"
#include "runtime/fatal_error.h"
#include "shape/Tsupershape.h"
#include "snippet/snippet.h"
#include "tool/progress.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

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

// The name a shape given by flags alone goes by in messages.
constexpr char flags_only_name[] = "(parameters)";

struct Named_shape {
    std::string name;
    std::optional<Tparams> params;
    std::string error;
};

// The shapes of `inputs` in order, read and with the flags applied; a file
// that cannot be read keeps its message.
std::vector<Named_shape> read_shapes(const Shape_inputs& inputs)
{
    std::vector<Named_shape> shapes;
    if (inputs.files.empty()) {
        Tparams params;
        set_start_values(params);
        inputs.flags.apply(params);
        shapes.push_back({flags_only_name, params, ""});
        return shapes;
    }
    for (const std::string& file : inputs.files) {
        snippet::Read_result read = snippet::read_file(file);
        if (read.params)
            inputs.flags.apply(*read.params);
        shapes.push_back({file, std::move(read.params), std::move(read.error)});
    }
    return shapes;
}

// A shape as the editor's Reset leaves it, and its mesh: the closed surface,
// or the editor's own grid when `raw`.
class Meshed_shape {
public:
    // Empty reason on success.
    std::string make(const Tparams& params, bool raw)
    {
        try {
            mesh::reset_like_editor(shape_, params);
            const mesh::Status status =
                raw ? mesh::raw_view(shape_, view_) : mesh::build_closed_mesh(shape_, params.scale, closed_);
            if (!status.ok())
                return "cannot mesh: " + status.reason;
            if (!raw)
                view_ = closed_.view();
            return "";
        } catch (const runtime::Failure& failure) {
            return std::string("cannot mesh: ") + failure.what();
        }
    }

    const mesh::Mesh_view& view() const { return view_; }

private:
    Nsupershape::Tsupershape shape_;
    mesh::Closed_mesh closed_;
    mesh::Mesh_view view_;
};

// 1234567 as "1,234,567".
std::string grouped(std::size_t number)
{
    std::string digits = std::to_string(number);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

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

// The worse of two outcomes: an output failure outranks bad input.
int worse(int first, int second)
{
    return std::max(first, second);
}

int usage_error(Console& console, const std::string& message)
{
    console.err << "shapetool " << message << "\nRun with --help for more information.\n";
    return exit_usage;
}

std::string output_beside(const std::string& folder, const std::string& stem, std::optional<mesh::Format> format)
{
    return (std::filesystem::path(folder) / (stem + "." + (format ? mesh::extension_of(*format) : ""))).string();
}

// Why the outputs cannot all be written: two that share a name, or one that
// would replace an input. Empty when they can.
std::string clashing_output(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs)
{
    std::error_code ignored;
    const auto same_file = [&](const std::string& path) { return std::filesystem::weakly_canonical(path, ignored); };
    std::set<std::filesystem::path> seen;
    for (const std::string& input : inputs)
        seen.insert(same_file(input));
    for (const std::string& output : outputs)
        if (!seen.insert(same_file(output)).second)
            return output + " would be written twice, or replace an input";
    return "";
}

} // namespace

int info(const Info_options& options, Console& console)
{
    if (!options.inputs.flags.any() && options.inputs.files.empty())
        return usage_error(console, "info: name snippet files or give parameter flags");
    const std::vector<Named_shape> shapes = read_shapes(options.inputs);
    int status = exit_success;
    nlohmann::json report = nlohmann::json::array();
    for (const Named_shape& shape : shapes) {
        std::string error = shape.error;
        Meshed_shape meshed;
        if (shape.params) {
            const std::string reason = meshed.make(*shape.params, options.raw);
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
    const Shape_inputs& inputs = options.inputs;
    std::optional<mesh::Format> format;
    std::vector<std::string> outputs;
    if (!options.output.empty()) {
        if (inputs.files.size() > 1)
            return usage_error(console, "export: -o names one output; give several shapes --outdir and --format");
        format = mesh::format_for_path(options.output);
        outputs.push_back(options.output);
    } else if (!options.outdir.empty()) {
        format = mesh::format_named(options.format);
        for (const std::string& file : inputs.files)
            outputs.push_back(output_beside(options.outdir, std::filesystem::path(file).stem().string(), format));
        if (inputs.files.empty())
            outputs.push_back(output_beside(options.outdir, "supershape", format));
    } else {
        return usage_error(console, "export: give -o OUT.ext, or --outdir DIR and --format ext");
    }
    if (!format)
        return usage_error(console, "export: the format must be one of stl, obj, ply, glb, 3mf");
    if (const std::string clash = clashing_output(inputs.files, outputs); !clash.empty())
        return usage_error(console, "export: " + clash);
    if (!inputs.flags.any() && inputs.files.empty())
        return usage_error(console, "export: name snippet files or give parameter flags");

    const std::vector<Named_shape> shapes = read_shapes(inputs);
    Progress progress(console.err, console.err_is_terminal, shapes.size());
    int status = exit_success;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const Named_shape& shape = shapes[i];
        const auto fail = [&](int outcome, const std::string& line) {
            status = worse(status, outcome);
            progress.done(line, true);
        };
        if (!shape.params) {
            fail(exit_bad_input, shape.error);
            continue;
        }
        Meshed_shape meshed;
        if (const std::string reason = meshed.make(*shape.params, options.raw); !reason.empty()) {
            fail(exit_bad_input, shape.name + ": " + reason);
            continue;
        }
        output::Atomic_file file(outputs[i]);
        if (file.status().ok()) {
            if (const int error = mesh::write_mesh(*format, file.stream(), meshed.view(), *shape.params)) {
                fail(exit_output_failed, "cannot write " + outputs[i] + ": " + std::strerror(error));
                continue;
            }
        }
        if (const output::Status committed = file.commit(); !committed.ok()) {
            fail(exit_output_failed, committed.message);
            continue;
        }
        progress.done(shape.name + " -> " + outputs[i] + ": " + grouped(meshed.view().triangle_count) + " triangles",
                      false);
    }
    return status;
}

} // namespace shapetool
