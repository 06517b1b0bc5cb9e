// shapetool random: snippets of random shapes, the editor's draws for a seed,
// named so that they sort in draw order.
#include "tool/random_command.h"

#include "explore/random.h"
#include "export/formats.h"
#include "mesh/closed_mesh.h"
#include "runtime/text.h"
#include "tool/batch.h"
#include "tool/command_line.h"
#include "tool/flags.h"
#include "tool/progress.h"
#include "tool/write_output.h"

#include <CLI/CLI.hpp>

#include <filesystem>

namespace shapetool {
namespace {

constexpr int max_random_count = 10000;
// A draw's number is written with as many digits as the largest count, so
// that names sort in draw order whatever --count is.
const std::size_t count_digits = std::to_string(max_random_count).size();

// The names --keep takes, in the table's order, the second set's as a span
// ("FIRST ... LAST").
std::string keep_names()
{
    const std::string span = second_set_span("", " ... ");
    explore::Locks ignored;
    std::vector<std::string> names;
    for (const params::Field& field : params::saved_fields) {
        if (!explore::lock_named(field.name, ignored))
            continue;
        if (field.group != params::Group::second_set)
            names.push_back(field.name);
        else if (names.back() != span)
            names.push_back(span);
    }
    return runtime::listed(names, "or");
}

void add_random_flags(CLI::App& command, Random_options& options)
{
    add_parameter_flags(command, options.flags);
    add_value_flag(
        command, "--count", "how many shapes, 1..10000 (default 10)", "N",
        [&options](const std::string& text) { options.count = whole_number("--count", text, 1, max_random_count); });
    add_value_flag(command, "--seed", "the draws' seed, a whole number (default: from the clock, and said)", "S",
                   [&options](const std::string& text) {
                       const std::optional<std::uint64_t> seed = number_in<std::uint64_t>(text);
                       if (!seed)
                           refuse("--seed", "a whole number from 0 to 18446744073709551615", text);
                       options.seed = seed;
                   });
    add_value_flag(command, "--keep", "formula numbers and color that keep their values, such as m,n1,color", "LIST",
                   [&options](const std::string& text) {
                       explore::Locks ignored;
                       for (std::size_t start = 0, comma = 0; comma != std::string::npos; start = comma + 1) {
                           comma = text.find(',', start);
                           const std::string name = text.substr(start, comma - start);
                           if (!explore::lock_named(name, ignored))
                               refuse("--keep", "names of " + keep_names() + ", by commas", text);
                           options.keep.push_back(name);
                       }
                   });
    add_path_flag(command, "--outdir", options.outdir,
                  "the folder, made when missing, for the snippets, named random_SEED_NUMBER.bas with NUMBER of " +
                      std::to_string(count_digits) +
                      " digits; a rerun of the same seed writes the same names, replacing them whole (a hand-edited "
                      "draw too)",
                  "DIR")
        ->required();
    command.add_flag("--rings-and-twists", options.rings_and_twists,
                     "draw rings and twisted shapes too: each try a ring, a twisted ball or a plain one alike; "
                     "without it every draw keeps the torus and twist given (0)");
    command.add_flag("-q,--quiet", options.quiet, "leave out the line per file; errors still show");
}

} // namespace

int random_shapes(const Random_options& options, Console& console)
{
    Tparams start;
    set_start_values(start);
    start.slices = start.bands = 100;
    options.flags.apply(start);
    // What is given or kept stays as it is.
    explore::Locks locks;
    for (int i = 0; i < params::saved_field_count; ++i)
        if (options.flags.given[i])
            explore::lock_named(params::saved_fields[i].name, locks);
    for (const std::string& name : options.keep)
        explore::lock_named(name, locks);

    // A draw is checked as export would take it.
    if (start.slices < mesh::closed_min_slices || start.bands < mesh::closed_min_bands)
        return usage_error(console, "random: a draw needs a grid of " + std::to_string(mesh::closed_min_slices) +
                                        " slices and " + std::to_string(mesh::closed_min_bands) +
                                        " bands or more, which export can mesh");
    const std::uint64_t seed = options.seed.value_or(explore::clock_seed());
    if (!options.seed && !options.quiet)
        console.err << "shapetool: seed " << seed << '\n';
    if (const Status made = make_folder(options.outdir); !made.ok()) {
        report(console, made.message);
        return exit_output_failed;
    }
    Progress progress(console.err, console.err_is_terminal && !options.quiet, std::size_t(options.count),
                      options.quiet);
    int status = exit_success;
    for (int draw = 1; draw <= options.count; ++draw) {
        std::string number = std::to_string(draw);
        number.insert(0, count_digits - number.size(), '0');
        const std::string output =
            (std::filesystem::path(options.outdir) / ("random_" + std::to_string(seed) + "_" + number + ".bas"))
                .string();
        Tparams shape;
        Status done = explore::random_shape(seed, std::uint64_t(draw), start, locks, shape, options.rings_and_twists);
        if (done.ok())
            done = write_output(output, [&](std::FILE* out) {
                return file_export::row_of(file_export::Format::bas).write(out, {{}, "", shape, ""});
            });
        else
            done.message = output + ": " + done.message;
        status = worse(status, exit_status_of(done));
        progress.done(done.ok() ? "draw " + std::to_string(draw) + " -> " + output : done.message, !done.ok());
    }
    return status;
}

const Command_row random_command{
    "random",
    [] {
        return std::string("Write snippets of random shapes, the editor's draws for a seed: each set and the colour "
                           "unless kept, at a 100 x 100 grid unless given; parameter flags fix their values.");
    },
    "Examples:\n  shapetool random --count 100 --seed 7 --outdir cand\n  shapetool gallery cand -o cand.png\n"
    "  shapetool random --seed 7 --keep n1,color --m 5 --outdir cand\n",
    [](CLI::App& command, Command_line& line) { add_random_flags(command, line.random); },
    [](const Command_line& line, Console& console) { return random_shapes(line.random, console); }};

} // namespace shapetool
