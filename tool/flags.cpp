#include "tool/flags.h"

#include "mesh/closed_mesh.h"
#include "scene/camera.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cstdint>

namespace shapetool {
namespace {

constexpr double max_turn = 1e6;
constexpr double max_fit = 1e6;

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

} // namespace

[[noreturn]] void refuse(const std::string& flag, const std::string& expected, const std::string& text)
{
    throw CLI::ValidationError(flag, "expected " + expected + ", found \"" + text + "\"");
}

CLI::Option* add_value_flag(CLI::App& command, const std::string& flag, const std::string& help,
                            const std::string& shown, std::function<void(const std::string&)> take)
{
    return command.add_option_function<std::string>(flag, std::move(take), help)->type_name(shown);
}

CLI::Option* add_path_flag(CLI::App& command, const std::string& flag, std::string& path, const std::string& help,
                           const std::string& shown)
{
    return command.add_option(flag, path, help)->type_name(shown)->check([](const std::string& text) {
        return text.empty() ? std::string("expected a path, found \"\"") : std::string();
    });
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

std::vector<int> flag_fields()
{
    std::vector<int> fields;
    for (const params::Kind kind : {params::Kind::number, params::Kind::count, params::Kind::colour})
        for (int i = 0; i < params::saved_field_count; ++i)
            if (params::saved_fields[i].kind == kind)
                fields.push_back(i);
    return fields;
}

std::string second_set_span(const std::string& prefix, const std::string& between)
{
    std::vector<std::string> names;
    for (const params::Field& field : params::saved_fields)
        if (field.group == params::Group::second_set)
            names.push_back(prefix + field.name);
    return names.front() + between + names.back();
}

namespace {

// What a count needs beyond its limits, for the closed mesh.
std::string closed_minimum(const params::Field& field)
{
    if (field.count == &Tparams::slices)
        return "; export and --solid need " + std::to_string(mesh::closed_min_slices) + " or more";
    if (field.count == &Tparams::bands)
        return "; export and --solid need " + std::to_string(mesh::closed_min_bands) + " or more";
    return "";
}

// What a number flag takes: `any`, or a finite number of at least its limit.
std::string lower_limit(const params::Field& field, const std::string& any)
{
    return field.min_is_limit ? "a finite number of at least " + params::shortest_text(float(field.min)) : any;
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
        option = add_value_flag(
            command, flag, std::string(field.description) + ", " + lower_limit(field, "any finite number"), "NUMBER",
            [&flags, &field, flag, given](const std::string& text) {
                const std::optional<float> value = number_in<float>(text);
                if (!value || !params::within_limit(field, *value))
                    refuse(flag, lower_limit(field, "a finite number") + " within single precision", text);
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

} // namespace

void add_parameter_flags(CLI::App& command, Parameter_flags& flags)
{
    for (const int index : flag_fields())
        add_parameter_flag(command, flags, index);
}

void add_shape_inputs(CLI::App& command, Shape_inputs& inputs)
{
    command.add_option("FILE", inputs.files,
                       "snippet files saved by the editor, folders of them, or - for standard input");
    add_parameter_flags(command, inputs.flags);
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
    add_turn_flag(command, "turn the shape by DEG degrees about its up axis",
                  [&turn](float degrees) { turn = degrees; });
}

void add_transparent_flag(CLI::App& command, bool& transparent)
{
    command.add_flag("--transparent", transparent, "leave the ground transparent instead of black");
}

CLI::Option* add_fit_flag(CLI::App& command, double& fit, const std::string& unit)
{
    return add_value_flag(
        command, "--fit", "scale evenly so that the largest side is MM millimetres, above 0 and at most 1e6" + unit,
        "MM", [&fit](const std::string& text) {
            fit = finite_number("--fit", text, 0, max_fit, "a size in millimetres above 0 and at most 1e6");
            if (!(fit > 0))
                refuse("--fit", "a size in millimetres above 0 and at most 1e6", text);
        });
}

namespace {

// "--NAME MM": a length in millimetres above 0 and at most 1e6, doing
// `what`; `help` ends the help.
CLI::Option* add_millimetres_flag(CLI::App& command, const std::string& name, double& value, const std::string& what,
                                  const std::string& help)
{
    const std::string expected = "a length in millimetres above 0 and at most 1e6";
    return add_value_flag(command, name, what + ", above 0 and at most 1e6" + help, "MM",
                          [&value, name, expected](const std::string& text) {
                              value = finite_number(name, text, 0, max_fit, expected);
                              if (!(value > 0))
                                  refuse(name, expected, text);
                          });
}

} // namespace

CLI::Option* add_base_flag(CLI::App& command, double& base, const std::string& help)
{
    return add_millimetres_flag(
        command, "--base", base,
        "cut the shape level with the bed MM millimetres above its lowest point and close it flat", help);
}

CLI::Option* add_shell_flag(CLI::App& command, double& shell, const std::string& help)
{
    return add_millimetres_flag(command, "--shell", shell,
                                "hollow the shape, leaving a wall MM millimetres thick everywhere (the floor too "
                                "with --base); a part thinner than twice that stays solid",
                                help);
}

CLI::Option* add_drain_flag(CLI::App& command, double& drain, const std::string& help)
{
    return add_millimetres_flag(command, "--drain", drain,
                                "with --shell, drill one hole MM millimetres across up through the floor (or the "
                                "lowest point) into the cavity, so that resin or powder can leave",
                                help);
}

CLI::Option* add_up_flag(CLI::App& command, std::optional<mesh::Up>& up, const std::string& help)
{
    return add_value_flag(command, "--up", "the axis that is up in the file, y or z " + help, "y|z",
                          [&up](const std::string& text) {
                              if (text != "y" && text != "z")
                                  refuse("--up", "y or z", text);
                              up = text == "y" ? mesh::Up::y : mesh::Up::z;
                          });
}

void add_tilt_flag(CLI::App& command, float& tilt)
{
    constexpr int most = scene::camera::max_tilt;
    const std::string range = std::to_string(-most) + " to " + std::to_string(most);
    add_value_flag(command, "--tilt",
                   "look down on the shape from DEG degrees above its equator, " + range +
                       "; negative looks up from below (default " + std::to_string(default_tilt) + ")",
                   "DEG", [&tilt, range](const std::string& text) {
                       tilt = static_cast<float>(finite_number("--tilt", text, -most, most, "degrees from " + range));
                   });
}

} // namespace shapetool
