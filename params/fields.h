// The fields a saved shape holds, written down once: name, kind,
// place in the record and limits. The snippet, the metadata of every mesh
// file, shapetool's flags and its reports all go through this table.
#pragma once

#include "params/Tparams.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace params {

enum class Kind {
    // A 32-bit float: any finite value may be saved.
    number,
    // A whole number within [min, max], wherever it comes from.
    count,
    // Four bytes: red, green, blue, alpha; 255 is full.
    colour,
    // Bytes, without line ends or other control bytes but the tab.
    text,
};

// Whether Save writes a field for every shape.
enum class Group {
    always,
    // The latitude's own set, written only for a shape that has one: sets
    // not linked, and different from the first set.
    second_set,
    // A number whose 0 is the shape without it, written only when not 0, so
    // that a shape without it is saved as before.
    unless_zero,
};

struct Field {
    const char* name;
    Kind kind;
    // The member of the field's kind; the other three are null.
    float Tparams::*number;
    std::int32_t Tparams::*count;
    std::uint8_t (Tparams::*colour)[4];
    std::string Tparams::*text;
    // The panel's range for a number or a count. A number outside it can
    // only come from a hand-edited file or a flag, and is kept as given.
    double min, max;
    // What the field holds, in a few words.
    const char* description;
    Group group;
    // For a field of the second set, its counterpart in the first.
    float Tparams::*first_set_twin;
    // Whether `min` bounds every value read or given, not only the panel's.
    bool min_is_limit = false;
};

constexpr Field number_field(const char* name, float Tparams::*member, double min, double max, const char* description)
{
    return {name, Kind::number, member, nullptr, nullptr, nullptr, min, max, description, Group::always, nullptr};
}

// The second set's field for `twin`, with its range.
constexpr Field second_set_field(const char* name, float Tparams::*member, const Field& twin, const char* description)
{
    return {name,     Kind::number, member,      nullptr,           nullptr,    nullptr,
            twin.min, twin.max,     description, Group::second_set, twin.number};
}

constexpr Field count_field(const char* name, std::int32_t Tparams::*member, const char* description)
{
    return {name, Kind::count, nullptr, member, nullptr, nullptr, 1, 999, description, Group::always, nullptr};
}

// A number written only when not 0; `bounded_below` refuses any value under `min`.
constexpr Field unless_zero_field(const char* name, float Tparams::*member, double min, double max,
                                  const char* description, bool bounded_below)
{
    return {name,        Kind::number,       member,  nullptr,      nullptr, nullptr, min, max,
            description, Group::unless_zero, nullptr, bounded_below};
}

inline constexpr Field first_set[] = {
    number_field("a", &Tparams::a, -999, 999, "superformula a"),
    number_field("b", &Tparams::b, -999, 999, "superformula b"),
    number_field("m", &Tparams::m, -999, 999, "symmetry m"),
    number_field("n1", &Tparams::n1, -999, 999, "exponent n1"),
    number_field("n2", &Tparams::n2, -999, 999, "exponent n2"),
    number_field("n3", &Tparams::n3, -999, 999, "exponent n3"),
};

// In the order Save writes them.
inline constexpr Field saved_fields[] = {
    first_set[0],
    first_set[1],
    first_set[2],
    first_set[3],
    first_set[4],
    first_set[5],
    second_set_field("a2", &Tparams::a2, first_set[0], "a of the second set (the rows)"),
    second_set_field("b2", &Tparams::b2, first_set[1], "b of the second set (the rows)"),
    second_set_field("m2", &Tparams::m2, first_set[2], "m of the second set (the rows)"),
    second_set_field("n1_2", &Tparams::n1_2, first_set[3], "n1 of the second set (the rows)"),
    second_set_field("n2_2", &Tparams::n2_2, first_set[4], "n2 of the second set (the rows)"),
    second_set_field("n3_2", &Tparams::n3_2, first_set[5], "n3 of the second set (the rows)"),
    number_field("radius", &Tparams::radius, -999, 999, "radius"),
    count_field("slices", &Tparams::slices, "rows of the grid"),
    count_field("bands", &Tparams::bands, "columns of the grid, less one"),
    number_field("scale", &Tparams::scale, 0.01, 99, "scale factor"),
    unless_zero_field("torus", &Tparams::torus, 0, 99, "the ring's distance from its axis (0: a ball)", true),
    unless_zero_field("twist", &Tparams::twist, -3600, 3600, "degrees the top turns against the bottom", false),
    {"color", Kind::colour, nullptr, nullptr, &Tparams::color, nullptr, 0, 255, "shape colour", Group::always, nullptr},
    {"rot_str", Kind::text, nullptr, nullptr, nullptr, &Tparams::rot_str, 0, 0, "the history of axis swaps",
     Group::always, nullptr},
};
constexpr int saved_field_count = sizeof saved_fields / sizeof saved_fields[0];

// The panel's values that no snippet keeps: the view's angles and offsets,
// its switches and the buttons' request flags. With the saved fields they
// make up the whole record.
struct Panel_value {
    const char* name;
    // A number's member, or null for a flag.
    float Tparams::*number;
    // A truth value's or request flag's member, or null for a number.
    std::int32_t Tparams::*flag;
    // A button's request, idle in every state the editor keeps.
    bool request;
    // A number's panel range.
    double min, max;
};

constexpr Panel_value view_number(const char* name, float Tparams::*member, double limit)
{
    return {name, member, nullptr, false, -limit, limit};
}

constexpr Panel_value flag_value(const char* name, std::int32_t Tparams::*member, bool request)
{
    return {name, nullptr, member, request, 0, 0};
}

inline constexpr Panel_value panel_values[] = {
    view_number("xrot", &Tparams::xrot, 3600),
    view_number("yrot", &Tparams::yrot, 3600),
    view_number("zrot", &Tparams::zrot, 3600),
    view_number("tx", &Tparams::tx, 100),
    view_number("ty", &Tparams::ty, 100),
    view_number("tz", &Tparams::tz, 100),
    flag_value("sets_linked", &Tparams::sets_linked, false),
    flag_value("auto_edit", &Tparams::auto_edit, false),
    flag_value("show_axes", &Tparams::show_axes, false),
    flag_value("auto_rotate", &Tparams::auto_rotate, false),
    flag_value("smooth_lines", &Tparams::smooth_lines, false),
    flag_value("do_reset", &Tparams::do_reset, true),
    flag_value("do_quit", &Tparams::do_quit, true),
    flag_value("do_swap_xy", &Tparams::do_swap_xy, true),
    flag_value("do_swap_xz", &Tparams::do_swap_xz, true),
    flag_value("do_swap_yz", &Tparams::do_swap_yz, true),
};

// Whether the shape has a second set of its own: not linked, and some
// number of it not the same bits as its twin in the first set.
bool has_second_set(const Tparams& params);

// Makes the second set a copy of the first and links them.
void link_sets(Tparams& params);

// Whether Save writes `field` for `params`.
bool is_saved(const Field& field, const Tparams& params);

// Whether `value` may be given to `field`: a number at least its `min`
// where that is a limit.
bool within_limit(const Field& field, float value);

// The field called `name`, or null.
const Field* field_named(std::string_view name);
// The panel value called `name`, or null.
const Panel_value* panel_value_named(std::string_view name);

// Copies `field` from one record to another.
void copy_field(const Field& field, const Tparams& from, Tparams& to);

// The shortest decimal text that reads back as `value`, such as "0.3",
// "1e-08" or "-inf".
std::string shortest_text(float value);
// The same text at `out`, which has room for shortest_room characters;
// returns its end.
constexpr int shortest_room = 16;
char* write_shortest(char* out, float value);

} // namespace params
