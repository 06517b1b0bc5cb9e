#include "export/formats.h"

#include "runtime/text.h"

#include <vector>

namespace file_export {

const Format_row* format_named(std::string_view extension)
{
    const std::string lower = runtime::lower_case(extension);
    for (const Format_row& row : formats)
        if (lower == row.extension)
            return &row;
    return nullptr;
}

const Format_row* mesh_format_for_path(std::string_view path)
{
    const std::string extension = runtime::extension_of(path);
    return extension.empty() ? nullptr : format_named(extension);
}

std::string listed(const char* Format_row::*column, const char* last)
{
    std::vector<std::string> items;
    for (const Format_row& row : formats)
        if (row.holds_mesh)
            items.push_back(row.*column);
    return runtime::listed(items, last);
}

std::string format_choices()
{
    std::string choices;
    for (const Format_row& row : formats)
        choices += (choices.empty() ? "" : "|") + std::string(row.extension);
    return choices;
}

} // namespace file_export
