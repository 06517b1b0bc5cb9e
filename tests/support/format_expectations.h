// What the tests expect of each format's file, worked out by hand from the format's own conventions, one row per row of
// file_export::formats in its order: a new format compiles only once it has its row here.
#pragma once

#include "export/formats.h"

#include <cstddef>
#include <iterator>

namespace test_support {

// Up axis and millimetres a unit; whether the colour and parameters are carried; the name of an object "star & <x>"
// blended, the object types of the closed mesh and the raw grid ("" for none), normals; the text before the parameters
// in a comment, shared vertices (Assimp gives each corner of STL and OBJ its own), and how near corners come back (3MF
// keeps six decimals of its unit, Assimp's OBJ reader may miss a float's last bits).
struct Format_expectation {
    file_export::Format format;
    char up;
    double millimetres;
    bool carried;
    const char *name, *closed_type, *raw_type;
    bool normals;
    const char* comment;
    bool indexed;
    float absolute, relative;
};

using file_export::Format;

// clang-format off
inline constexpr Format_expectation format_expectations[] = {
    // format, up, mm, carried, name, closed type, raw type, normals, comment, indexed, absolute, relative
    {Format::stl, 'z', 1, false, "", "", "", true, nullptr, false, 0, 0},
    {Format::obj, 'y', 1, true, "star_&_<x>", "", "", true, "# supershape ", false, 1e-38f, 1e-6f},
    {Format::ply, 'z', 1, true, "", "", "", false, "\ncomment supershape ", true, 0, 0},
    {Format::glb, 'y', 1000, true, "star & <x> blended", "", "", true, nullptr, true, 0, 0},
    {Format::threemf, 'z', 1, true, "star & <x>", "model", "surface", false, nullptr, true, 1e-6f, 2.5e-7f},
    // No mesh.
    {Format::bas, '?', 0, true, "", "", "", false, nullptr, true, 0, 0},
};
// clang-format on

static_assert(std::size(format_expectations) == std::size(file_export::formats), "one row per format");

constexpr bool expectations_in_order()
{
    for (std::size_t k = 0; k < std::size(format_expectations); ++k)
        if (format_expectations[k].format != file_export::formats[k].format)
            return false;
    return true;
}
static_assert(expectations_in_order(), "in the order of the format table");

inline const Format_expectation& expected_of(Format format)
{
    return format_expectations[static_cast<std::size_t>(format)];
}

} // namespace test_support
