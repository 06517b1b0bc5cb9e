#include "params/fields.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>

namespace params {

bool has_second_set(const Tparams& params)
{
    if (params.sets_linked != 0)
        return false;
    return std::any_of(std::begin(saved_fields), std::end(saved_fields), [&params](const Field& field) {
        return field.group == Group::second_set &&
               std::memcmp(&(params.*field.number), &(params.*field.first_set_twin), sizeof(float)) != 0;
    });
}

bool is_saved(const Field& field, const Tparams& params)
{
    switch (field.group) {
    case Group::always: return true;
    case Group::second_set: return has_second_set(params);
    case Group::unless_zero: return params.*field.number != 0;
    }
    return true;
}

bool within_limit(const Field& field, float value)
{
    return !field.min_is_limit || value >= field.min;
}

void link_sets(Tparams& params)
{
    for (const Field& field : saved_fields)
        if (field.group == Group::second_set)
            params.*field.number = params.*field.first_set_twin;
    params.sets_linked = truth_on;
}

const Field* field_named(std::string_view name)
{
    const auto found = std::find_if(std::begin(saved_fields), std::end(saved_fields),
                                    [name](const Field& field) { return name == field.name; });
    return found == std::end(saved_fields) ? nullptr : found;
}

const Panel_value* panel_value_named(std::string_view name)
{
    const auto found = std::find_if(std::begin(panel_values), std::end(panel_values),
                                    [name](const Panel_value& value) { return name == value.name; });
    return found == std::end(panel_values) ? nullptr : found;
}

void copy_field(const Field& field, const Tparams& from, Tparams& to)
{
    switch (field.kind) {
    case Kind::number: to.*field.number = from.*field.number; break;
    case Kind::count: to.*field.count = from.*field.count; break;
    case Kind::colour: std::copy(std::begin(from.*field.colour), std::end(from.*field.colour), to.*field.colour); break;
    case Kind::text: to.*field.text = from.*field.text; break;
    }
}

std::string shortest_text(float value)
{
    char text[shortest_room];
    return std::string(text, write_shortest(text, value));
}

char* write_shortest(char* out, float value)
{
    return std::to_chars(out, out + shortest_room, value).ptr;
}

} // namespace params
