// The mesh formats, one row each: everything that depends on the format
// (its names, whether it is binary, how its readers stand and size a shape,
// its writer and any file written beside it) is read from this table, by
// shapetool's flags, help and messages, the tests and the fuzz targets alike.
// A format is one row here plus its writer.
#pragma once

#include "export/writers.h"
#include "mesh/placement.h"
#include "runtime/text.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace file_export {

using mesh::Up;

// In the order of the table. Code that must treat each format on its own
// switches over this, so that a new format it forgets does not compile.
enum class Format { stl, obj, ply, glb, threemf, bas };

// One unit of a file, as its readers take it.
struct Unit {
    const char* name;
    const char* symbol;
    double millimetres;
};
inline constexpr Unit millimetre{"millimetre", "mm", 1};
inline constexpr Unit metre{"metre", "m", 1000};
// For a file that holds no mesh.
inline constexpr Unit no_unit{"", "", 0};

enum class Encoding { text, binary };

using Mesh_writer = Status (*)(std::FILE* out, const Export_mesh& file);

// A second file beside the main one, which the main one names, published
// with it: OBJ's material file.
struct Companion {
    // Its extension without the dot; null for a format without one.
    const char* extension;
    Mesh_writer write;
};
inline constexpr Companion no_companion{nullptr, nullptr};

struct Format_row {
    Format format;
    // The extension in lower case without its dot; also the format's name
    // for --format.
    const char* extension;
    // Its name in documents and reports, such as "STL" or "glb".
    const char* title;
    // A few words for the help beside the extension, or "".
    const char* note;
    Encoding encoding;
    // Whether the file holds a mesh, which --fit, --up and --raw shape.
    bool holds_mesh;
    // The axis its readers take for up.
    Up up;
    Unit unit;
    Mesh_writer write;
    Companion companion;
};

// Z up for STL and 3MF (every slicer) and PLY (Blender's importer, printing
// tools); Y up for glb (the glTF rule) and OBJ (modellers' importers).
// glTF counts in metres; slicers read STL, OBJ and 3MF as millimetres, and
// PLY goes with them.
// clang-format off
inline constexpr Format_row formats[] = {
    // format, extension, title, note, encoding, holds a mesh, up, unit, writer, companion
    {Format::stl, "stl", "STL", "binary", Encoding::binary, true, Up::z, millimetre, write_stl, no_companion},
    {Format::obj, "obj", "OBJ", "with a .mtl file for its colour", Encoding::text, true, Up::y, millimetre, write_obj,
        {"mtl", write_obj_material}},
    {Format::ply, "ply", "PLY", "binary", Encoding::binary, true, Up::z, millimetre, write_ply, no_companion},
    {Format::glb, "glb", "glb", "", Encoding::binary, true, Up::y, metre, write_glb, no_companion},
    {Format::threemf, "3mf", "3MF", "", Encoding::binary, true, Up::z, millimetre, write_3mf, no_companion},
    {Format::bas, "bas", "snippet", "the snippet the editor's Save writes", Encoding::text, false, Up::y, no_unit,
        write_snippet, no_companion},
};
// clang-format on

constexpr bool rows_in_order()
{
    for (std::size_t k = 0; k < std::size(formats); ++k)
        if (formats[k].format != static_cast<Format>(k))
            return false;
    return true;
}
static_assert(rows_in_order(), "one row per format, in the order of the enumeration");

inline const Format_row& row_of(Format format)
{
    return formats[static_cast<std::size_t>(format)];
}

// The format named by an extension without its dot, in any case ("stl",
// "3MF"), or null.
const Format_row* format_named(std::string_view extension);
// The format that a file name's extension names, or null.
const Format_row* mesh_format_for_path(std::string_view path);

// The companion file of `format` beside `target`, named after it so that no
// other name leads to the same one: escaped, the format's extension left out and any other
// kept with its dot as %2E ("star.obj" has "star.mtl", "a b.obj"
// "a%20b.mtl", "a.OBJ" "a%2EOBJ.mtl"). A name that escaping makes too long
// for the file system is cut, and ends in '~' and a fingerprint of the whole.
std::string companion_path(const std::string& target, const Format_row& format);

// The column `column` of every row that holds a mesh, as a list ending in
// `last`: with "or", "stl, obj, ply, glb or 3mf".
std::string listed(const char* Format_row::*column, const char* last);
// The extensions as a choice: "stl|obj|ply|glb|3mf".
std::string format_choices();

// The titles of the formats that hold a mesh, in groups that share what
// `key` gives, in the order of the table, each with its first row: by unit,
// (STL, "STL, OBJ, PLY and 3MF") and (glb, "glb").
template <class Key>
std::vector<std::pair<const Format_row*, std::string>> titles_by(Key key)
{
    std::vector<std::pair<const Format_row*, std::string>> groups;
    for (const Format_row& row : formats) {
        if (!row.holds_mesh)
            continue;
        std::vector<std::string> titles;
        for (const Format_row& other : formats)
            if (other.holds_mesh && key(other) == key(row))
                titles.push_back(other.title);
        if (std::none_of(groups.begin(), groups.end(),
                         [&](const auto& group) { return key(*group.first) == key(row); }))
            groups.emplace_back(&row, runtime::listed(titles, "and"));
    }
    return groups;
}

} // namespace file_export
