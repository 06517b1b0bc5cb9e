#include "export/formats.h"

#include "runtime/text.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace file_export {
namespace {

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

} // namespace

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

std::string companion_path(const std::string& target, const Format_row& format)
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

} // namespace file_export
