#include "tool/help_format.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <sstream>
#include <utility>
#include <vector>

namespace shapetool {
namespace {

// Where an entry's description starts; a longer name puts it on a line of
// its own.
constexpr std::size_t description_column = 24;

// `text`'s words filled after `lead` into lines of at most help_width
// columns, the later ones after `indent` spaces.
std::string filled(const std::string& lead, const std::string& text, std::size_t indent)
{
    std::string out = lead;
    const std::size_t last_break = lead.rfind('\n');
    std::size_t column = last_break == std::string::npos ? lead.size() : lead.size() - last_break - 1;
    bool line_empty = true;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (!line_empty && column + 1 + word.size() > static_cast<std::size_t>(help_width)) {
            out += "\n" + std::string(indent, ' ');
            column = indent;
            line_empty = true;
        }
        if (!line_empty) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        line_empty = false;
    }
    return out + "\n";
}

std::string entry(const std::string& name, const std::string& description, std::size_t column = description_column)
{
    std::string lead = "  " + name;
    lead += lead.size() + 2 <= column ? std::string(column - lead.size(), ' ') : "\n" + std::string(column, ' ');
    return filled(lead, description, column);
}

// A footer's text: each line a paragraph, filled, except indented ones:
// "  NAME  what it is" is an entry, any other (an example) stays as it is.
// Short names, such as exit statuses, put the descriptions nearer.
std::string block(const std::string& text)
{
    std::vector<std::pair<std::string, std::size_t>> lines;
    std::size_t widest = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const std::size_t gap = line.rfind("  ", 0) == 0 ? line.find("  ", 2) : std::string::npos;
        if (gap != std::string::npos)
            widest = std::max(widest, gap);
        lines.emplace_back(line, gap);
    }
    const std::size_t column = std::min(widest + 2, description_column);
    std::string out;
    for (const auto& [line, gap] : lines) {
        if (gap != std::string::npos)
            out += entry(line.substr(2, gap - 2), line.substr(line.find_first_not_of(' ', gap)), column);
        else if (line.rfind("  ", 0) == 0)
            out += line + "\n";
        else
            out += line.empty() ? "\n" : filled("", line, 0);
    }
    return out;
}

// The sentence up to the first full stop.
std::string first_sentence(const std::string& text)
{
    const std::size_t stop = text.find(". ");
    return stop == std::string::npos ? text : text.substr(0, stop + 1);
}

class Help_formatter : public CLI::Formatter {
public:
    Help_formatter() { label("SUBCOMMAND", "COMMAND"); }

    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode) const override
    {
        std::vector<std::string> sections{make_usage(app, name) + block(app->get_description())};
        std::string arguments;
        for (const CLI::Option* option :
             app->get_options([](const CLI::Option* option) { return option->get_positional(); }))
            arguments += make_option(option, true);
        if (!arguments.empty())
            sections.push_back("Arguments:\n" + arguments);
        for (const std::string& group : app->get_groups()) {
            std::string section;
            for (const CLI::Option* option : app->get_options([&group](const CLI::Option* option) {
                     return option->get_group() == group && !option->get_positional();
                 }))
                section += make_option(option, false);
            if (!section.empty())
                sections.push_back(group + ":\n" + section);
        }
        std::string commands;
        for (const CLI::App* command : app->get_subcommands({}))
            commands += entry(command->get_name(), first_sentence(command->get_description()));
        if (!commands.empty())
            sections.push_back("Commands:\n" + commands);
        if (!app->get_footer().empty())
            sections.push_back(block(app->get_footer()));
        std::string out;
        for (const std::string& section : sections)
            out += (out.empty() ? "" : "\n") + section;
        return out;
    }

    std::string make_option(const CLI::Option* option, bool positional) const override
    {
        if (positional)
            return entry(option->get_name() + (option->get_expected_max() > 1 ? "..." : ""), option->get_description());
        return entry(make_option_name(option, false) + make_option_opts(option), option->get_description());
    }

    // The value's name alone: no REQUIRED, Excludes: or Needs:.
    std::string make_option_opts(const CLI::Option* option) const override
    {
        return option->get_type_size() == 0 ? "" : " " + option->get_type_name();
    }
};

} // namespace

std::shared_ptr<CLI::FormatterBase> help_formatter()
{
    return std::make_shared<Help_formatter>();
}

} // namespace shapetool
