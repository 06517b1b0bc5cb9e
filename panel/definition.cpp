#include "panel/definition.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

namespace panel {
namespace {

constexpr int space_key = 32;

class Reader {
public:
    explicit Reader(const char* text) : text_(text ? text : "") {}

    void skip_blanks()
    {
        while (std::isspace(static_cast<unsigned char>(text_[position_])))
            ++position_;
    }
    bool at_end() const { return text_[position_] == '\0'; }
    char peek() const { return text_[position_]; }
    void advance() { ++position_; }

    std::string word()
    {
        const std::size_t start = position_;
        while (std::isalnum(static_cast<unsigned char>(text_[position_])) || text_[position_] == '_')
            ++position_;
        return std::string(text_ + start, position_ - start);
    }

    // A quoted text (single or double quotes) or a run of non-blanks.
    bool value(std::string& result, std::string& error)
    {
        const char quote = peek();
        if (quote == '\'' || quote == '"') {
            const char* end = std::strchr(text_ + position_ + 1, quote);
            if (!end) {
                error = "missing closing quote";
                return false;
            }
            result.assign(text_ + position_ + 1, end);
            position_ = static_cast<std::size_t>(end - text_) + 1;
            return true;
        }
        const std::size_t start = position_;
        while (!at_end() && !std::isspace(static_cast<unsigned char>(peek())))
            ++position_;
        result.assign(text_ + start, position_ - start);
        if (result.empty()) {
            error = "missing value";
            return false;
        }
        return true;
    }

private:
    const char* text_;
    std::size_t position_ = 0;
};

bool parse_number(const std::string& text, double& number)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto [stop, failure] = std::from_chars(begin, end, number);
    return failure == std::errc() && stop == end && std::isfinite(number);
}

int decimals_of(const std::string& number)
{
    const auto point = number.find('.');
    return point == std::string::npos ? 0 : static_cast<int>(number.size() - point - 1);
}

// SPACE, or a single letter or digit, after CTRL+ and SHIFT+ in any order.
std::optional<Definition::Shortcut> shortcut(const std::string& name)
{
    std::string upper;
    for (char c : name)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    Definition::Shortcut chord;
    for (bool more = true; more;) {
        more = false;
        for (const auto& [prefix, flag] : {std::pair{"CTRL+", &chord.ctrl}, std::pair{"SHIFT+", &chord.shift}}) {
            if (upper.rfind(prefix, 0) == 0 && !*flag) {
                upper.erase(0, std::strlen(prefix));
                *flag = more = true;
            }
        }
    }
    if (upper == "SPACE")
        chord.key = space_key;
    else if (upper.size() == 1 && std::isalnum(static_cast<unsigned char>(upper[0])))
        chord.key = upper[0];
    else
        return std::nullopt;
    return chord;
}

bool apply(Definition& definition, const std::string& name, const std::string& value, std::string& error)
{
    if (name == "label") {
        definition.label = value;
        return true;
    }
    if (name == "help") {
        definition.help = value;
        return true;
    }
    if (name == "key") {
        const std::optional<Definition::Shortcut> chord = shortcut(value);
        if (!chord)
            error = "unknown key '" + value + "'";
        else
            definition.keys.push_back(*chord);
        return chord.has_value();
    }
    std::optional<double>* number = name == "min"    ? &definition.min
                                    : name == "max"  ? &definition.max
                                    : name == "step" ? &definition.step
                                                     : nullptr;
    if (!number) {
        error = "unknown attribute '" + name + "'";
        return false;
    }
    double parsed = 0;
    if (!parse_number(value, parsed)) {
        error = "'" + value + "' is not a number for " + name;
        return false;
    }
    *number = parsed;
    if (name == "step")
        definition.step_decimals = decimals_of(value);
    return true;
}

} // namespace

Parse_result parse_definition(const char* text)
{
    Parse_result result;
    Reader reader(text);
    for (reader.skip_blanks(); !reader.at_end(); reader.skip_blanks()) {
        const std::string name = reader.word();
        if (name.empty()) {
            result.error = std::string("unexpected '") + reader.peek() + "'";
            return result;
        }
        reader.skip_blanks();
        if (reader.peek() != '=') {
            if (name != "alpha") {
                result.error = "'" + name + "' needs a value";
                return result;
            }
            result.definition.alpha = true;
            continue;
        }
        reader.advance();
        reader.skip_blanks();
        std::string value;
        if (!reader.value(value, result.error) || !apply(result.definition, name, value, result.error)) {
            if (result.error == "missing value" || result.error == "missing closing quote")
                result.error += " for " + name;
            return result;
        }
    }
    const Definition& d = result.definition;
    if (d.min && d.max && *d.min > *d.max)
        result.error = "min is above max";
    else if (d.step && *d.step <= 0)
        result.error = "step must be above 0";
    return result;
}

} // namespace panel
