// What the commands' flags share, on CLI11: every value is read as text and
// refused unless it is what the help says, so that an empty value or a
// hexadecimal number is never taken for something.
#pragma once

#include "mesh/placement.h"
#include "tool/inputs.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace shapetool {

// How -o treats what is already there, for each command that writes.
inline const std::string output_rules =
    "; an existing file is replaced whole, a link's file is replaced and the link kept, and a dangling link or a "
    "file you may not write is refused";

// The text of a value as a decimal number with an optional sign and
// exponent and nothing around it, as snippets hold numbers.
template <class Number>
std::optional<Number> number_in(const std::string& text)
{
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end || text.empty())
        return std::nullopt;
    if constexpr (std::is_floating_point_v<Number>)
        if (!std::isfinite(value))
            return std::nullopt;
    return value;
}

// Refuses the text of `flag` as a usage error: "expected EXPECTED, found ...".
[[noreturn]] void refuse(const std::string& flag, const std::string& expected, const std::string& text);

// A flag whose text `take` turns into its value, throwing when it cannot.
CLI::Option* add_value_flag(CLI::App& command, const std::string& flag, const std::string& help,
                            const std::string& shown, std::function<void(const std::string&)> take);

// A flag naming a file or folder to write, shown as `shown` (FILE or DIR);
// an empty path is refused, not taken for none.
CLI::Option* add_path_flag(CLI::App& command, const std::string& flag, std::string& path, const std::string& help,
                           const std::string& shown);

// The value of `flag`, a whole number from `least` to `most`, or refused.
int whole_number(const std::string& flag, const std::string& text, int least, int most);
// The value of `flag`, a finite number from `least` to `most`, or refused as
// not `expected`.
double finite_number(const std::string& flag, const std::string& text, double least, double most,
                     const std::string& expected);

// The saved fields that have a flag, in the order --help lists them:
// numbers, then counts, then the colour.
std::vector<int> flag_fields();
// The second set's fields as a span: its first and last names, each after
// `prefix`, with `between` between them.
std::string second_set_span(const std::string& prefix, const std::string& between);

// The parameter flags alone, in the group "Parameters".
void add_parameter_flags(CLI::App& command, Parameter_flags& flags);
// The input files, the parameter flags and --quiet.
void add_shape_inputs(CLI::App& command, Shape_inputs& inputs);
// "--NAME WxH", each side from `smallest` to `largest`.
void add_size_flag(CLI::App& command, const std::string& name, int& width, int& height, int smallest, int largest,
                   const std::string& help);
// Degrees about the vertical axis, as `help` says.
void add_turn_flag(CLI::App& command, const std::string& help, std::function<void(float)> take);
void add_turn_flag(CLI::App& command, float& turn);
void add_transparent_flag(CLI::App& command, bool& transparent);
// "--fit MM": the largest side in millimetres, above 0 and at most 1e6,
// with `unit` after the limits in the help.
CLI::Option* add_fit_flag(CLI::App& command, double& fit, const std::string& unit);
// "--base MM": a flat base that many millimetres above the lowest point,
// above 0 and at most 1e6; `help` ends the help.
CLI::Option* add_base_flag(CLI::App& command, double& base, const std::string& help);
// "--shell MM": hollow, with a wall that many millimetres thick, above 0 and
// at most 1e6; `help` ends the help.
CLI::Option* add_shell_flag(CLI::App& command, double& shell, const std::string& help);

// "--drain MM": a hole that many millimetres across up through a shell's
// floor, above 0 and at most 1e6.
CLI::Option* add_drain_flag(CLI::App& command, double& drain, const std::string& help);
// "--up y|z", the axis that is up in the file; `help` ends the help.
CLI::Option* add_up_flag(CLI::App& command, std::optional<mesh::Up>& up, const std::string& help);
// The camera's degrees above the equator, -90 to 90.
void add_tilt_flag(CLI::App& command, float& tilt);
// What the picture commands draw from unless told: far enough above the
// equator that a flat shape shows its face.
constexpr int default_tilt = 30;

} // namespace shapetool
