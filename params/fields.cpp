#include "params/fields.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace params {

const Field* field_named(std::string_view name)
{
    const auto found = std::find_if(std::begin(saved_fields), std::end(saved_fields),
                                    [name](const Field& field) { return name == field.name; });
    return found == std::end(saved_fields) ? nullptr : found;
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
