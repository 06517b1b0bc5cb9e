// The command line, on CLI11: the table of commands and its usage errors.
// Each command's file holds its options, its flags and its run; parsing only
// fills the options of the command named.
#include "tool/command_line.h"

#include "runtime/text.h"
#include "runtime/version.h"
#include "tool/flags.h"
#include "tool/help_format.h"

#include <CLI/CLI.hpp>

namespace shapetool {
namespace {

constexpr char version_text[] = "shapetool " SUPERSHAPE_VERSION;

const char* const statuses_help = "Exit statuses:\n"
                                  "  0  success\n"
                                  "  1  a usage error\n"
                                  "  2  an input refused: a snippet that cannot be read, a shape that cannot be "
                                  "meshed or held by the format\n"
                                  "  3  an output that could not be written\n"
                                  "  128+N  ended by signal N\n"
                                  "\n"
                                  "Errors read \"shapetool: PATH: what is wrong\", one line each. Each command's "
                                  "flags: shapetool COMMAND --help.";

std::string parameters_help()
{
    std::string flags;
    for (const int i : flag_fields())
        flags += std::string(flags.empty() ? "" : " ") + "--" + params::saved_fields[i].name;
    return "Parameters may be given as flags instead of, or on top of, a snippet: " + flags +
           "; missing ones keep the snippet's values or the editor's start values. The second set (" +
           second_set_span("--", " to ") +
           ") shapes the rows on their own; its missing values are the snippet's second set, or its first for a "
           "snippet with one.\n\n" +
           statuses_help;
}

// CLI11's text for a parse error, a flag given twice in the words of the
// other usage errors.
std::string error_text(const CLI::ParseError& error)
{
    const std::string what = error.what();
    constexpr std::string_view twice = ": At Most 1 required but received ";
    const std::size_t at = what.find(twice);
    if (at == std::string::npos)
        return what;
    return what.substr(0, at) + ": expected once, found " + what.substr(at + twice.size()) + " times";
}

// One line for a parse error, with the help that says what to type.
std::string usage_line(const CLI::ParseError& error, const CLI::App& app)
{
    std::string command;
    for (const CLI::App* sub : app.get_subcommands())
        command = sub->get_name();
    const std::string help = "shapetool " + (command.empty() ? "" : command + " ") + "--help";
    return (command.empty() ? "" : command + ": ") + error_text(error) + " (" + help + " lists what it takes)";
}

// Every command, in the order --help lists them.
const Command_row* const command_table[] = {&info_command,    &export_command,  &render_command,
                                            &gallery_command, &animate_command, &random_command};

const Command_row* command_named(std::string_view name)
{
    for (const Command_row* row : command_table)
        if (name == row->name)
            return row;
    return nullptr;
}

} // namespace

std::vector<std::string> command_names()
{
    std::vector<std::string> names;
    for (const Command_row* row : command_table)
        names.push_back(row->name);
    return names;
}

namespace {

// The commands' names as a list ending in `last`.
std::string command_list(const char* last)
{
    return runtime::listed(command_names(), last);
}

} // namespace

std::optional<int> parse_command_line(int argc, const char* const argv[], Command_line& line, Console& console)
{
    if (argc < 2)
        return usage_error(console,
                           "name a command: " + command_list("or") + " (shapetool --help says what each does)");
    const std::string first = argv[1];
    if (first.empty() || (first[0] != '-' && !command_named(first)))
        return usage_error(console, "\"" + first + "\" is no command; the commands are " + command_list("and"));

    CLI::App app("Turns snippets saved by the supershape editor into meshes and pictures, without a display.",
                 "shapetool");
    app.formatter(help_formatter());
    app.set_help_flag("-h,--help", "print this help and exit");
    app.set_version_flag("--version", version_text, "print the version and exit");
    app.require_subcommand(1);
    app.footer(parameters_help());
    for (const Command_row* row : command_table) {
        CLI::App* command = app.add_subcommand(row->name, row->summary());
        row->add_flags(*command, line);
        command->footer(row->examples);
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& asked) {
        // Help and the version are successes, printed on standard output.
        return app.exit(asked, console.out, console.err);
    } catch (const CLI::ParseError& error) {
        return usage_error(console, usage_line(error, app));
    }
    for (const CLI::App* parsed : app.get_subcommands())
        line.command = parsed->get_name();
    return std::nullopt;
}

int run(const Command_line& line, Console& console)
{
    const Command_row* row = command_named(line.command);
    return row ? row->run(line, console) : exit_usage;
}

int run(int argc, const char* const argv[], Console& console)
{
    Command_line line;
    if (const std::optional<int> done = parse_command_line(argc, argv, line, console))
        return *done;
    return run(line, console);
}

} // namespace shapetool
