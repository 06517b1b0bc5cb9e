// shapetool random: snippets of random shapes, the editor's draws for a seed,
// named so that they sort in draw order.
#include "explore/random.h"
#include "export/formats.h"
#include "mesh/closed_mesh.h"
#include "tool/commands.h"
#include "tool/progress.h"
#include "tool/shapes.h"

#include <filesystem>

namespace shapetool {

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
    const std::size_t digits = std::to_string(options.count).size();
    Progress progress(console.err, console.err_is_terminal && !options.quiet, std::size_t(options.count),
                      options.quiet);
    int status = exit_success;
    for (int draw = 1; draw <= options.count; ++draw) {
        std::string number = std::to_string(draw);
        number.insert(0, digits - number.size(), '0');
        const std::string output =
            (std::filesystem::path(options.outdir) / ("random_" + std::to_string(seed) + "_" + number + ".bas"))
                .string();
        Tparams shape;
        Status done = explore::random_shape(seed, std::uint64_t(draw), start, locks, shape);
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

} // namespace shapetool
