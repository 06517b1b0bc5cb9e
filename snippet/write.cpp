// The snippet text and its file name.
#include "params/fields.h"
#include "snippet/layout.h"
#include "snippet/snippet.h"

#include <charconv>
#include <cstdio>
#include <iterator>

namespace snippet {
namespace {

constexpr std::size_t print_zone_width = 14;
// Long enough for every field name, so "=" and the values line up.
constexpr std::size_t label_width = 23;
constexpr int significant_digits = 7;

// Text laid out in print zones: a fill moves the next item to the start of
// the next zone, counting columns from the last line break.
class Print_zones {
public:
    void item(std::string_view text)
    {
        text_ += text;
        const std::size_t last_break = text.find_last_of("\r\n");
        column_ = last_break == std::string_view::npos ? column_ + text.size() : text.size() - last_break - 1;
    }

    void fill()
    {
        const std::size_t next_zone = (column_ / print_zone_width + 1) * print_zone_width;
        text_.append(next_zone - column_, ' ');
        column_ = next_zone;
    }

    void line(std::string_view text)
    {
        item(text);
        item("\r\n");
    }

    std::string text() const { return text_; }

private:
    std::string text_;
    std::size_t column_ = 0;
};

// Seven significant digits, the shortest form, a space where a sign would be.
std::string single_text(float value)
{
    char digits[32];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), static_cast<double>(value),
                                   std::chars_format::general, significant_digits)
                         .ptr;
    const std::string text(digits, end);
    return text.front() == '-' ? text : " " + text;
}

std::string integer_text(std::int32_t value)
{
    return (value < 0 ? "" : " ") + std::to_string(value);
}

// The label and "=", leaving the column where the value starts.
void assignment(Print_zones& out, const char* field)
{
    std::string label = std::string("\t\t") + layout::field_prefix + field;
    label.resize(label_width, ' ');
    out.item(label);
    out.fill();
    out.item("=");
    out.fill();
}

} // namespace

std::string text(const Tparams& params)
{
    Print_zones out;
    for (const std::string& line : layout::head_lines())
        out.line(line);

    for (const params::Field& field : params::saved_fields) {
        if (!params::is_saved(field, params))
            continue;
        assignment(out, field.name);
        switch (field.kind) {
        case params::Kind::number: out.line(single_text(params.*field.number)); break;
        case params::Kind::count: out.line(integer_text(params.*field.count)); break;
        case params::Kind::colour:
            out.item(" type(");
            for (int i = 0; i < 4; ++i) {
                if (i > 0)
                    out.item(",");
                out.item(std::to_string(static_cast<unsigned>((params.*field.colour)[i])));
            }
            out.line(")");
            break;
        case params::Kind::text:
            out.item(" \"");
            out.item(params.*field.text);
            out.line("\"");
            break;
        }
    }

    std::vector<std::string> set_after;
    for (const params::Field& field : params::saved_fields)
        if (field.group == params::Group::unless_zero && params::is_saved(field, params))
            set_after.push_back(field.name);
    for (const std::string& line : layout::tail_lines(params::has_second_set(params), set_after))
        out.line(line);
    return out.text();
}

std::string file_name(const Local_time& time, const Local_date& date)
{
    char name[96];
    std::snprintf(name, sizeof name, "shapes/shape_%02d-%02d-%04d_%02d_%02d_%02d.bas", date.month, date.day, date.year,
                  time.hours, time.minutes, time.seconds);
    return name;
}

} // namespace snippet
