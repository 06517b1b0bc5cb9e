#include "export/metadata.h"

#include "params/fields.h"

#include <charconv>

namespace file_export {
namespace {

std::string escaped(std::string_view text)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte > 0x7e) {
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// Each byte as the UTF-8 of the code point of its number.
std::string latin1_as_utf8(std::string_view bytes)
{
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xc0 | byte >> 6);
            text += static_cast<char>(0x80 | (byte & 0x3f));
        }
    }
    return text;
}

// Well-formed UTF-8: no overlong forms, surrogates or code points past U+10FFFF.
bool is_utf8(std::string_view text)
{
    for (std::size_t k = 0; k < text.size();) {
        const auto byte = static_cast<unsigned char>(text[k]);
        const std::size_t length = byte < 0x80   ? 1
                                   : byte < 0xc2 ? 0
                                   : byte < 0xe0 ? 2
                                   : byte < 0xf0 ? 3
                                   : byte < 0xf5 ? 4
                                                 : 0;
        if (length == 0 || k + length > text.size())
            return false;
        char32_t code = length == 1 ? byte : byte & (0x7f >> length);
        for (std::size_t c = 1; c < length; ++c) {
            const auto next = static_cast<unsigned char>(text[k + c]);
            if ((next >> 6) != 0x2)
                return false;
            code = code << 6 | (next & 0x3f);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
            return false;
        k += length;
    }
    return true;
}

} // namespace

std::string as_utf8(std::string_view text)
{
    return is_utf8(text) ? std::string(text) : latin1_as_utf8(text);
}

std::string parameter_text(const Tparams& params)
{
    std::string text;
    for (const params::Field& field : params::saved_fields) {
        if (!params::is_saved(field, params))
            continue;
        text += (text.empty() ? "" : " ") + std::string(field.name) + "=";
        switch (field.kind) {
        case params::Kind::number: text += params::shortest_text(params.*field.number); break;
        case params::Kind::count: text += std::to_string(params.*field.count); break;
        case params::Kind::colour:
            for (int k = 0; k < 4; ++k)
                text += std::to_string((params.*field.colour)[k]) + (k < 3 ? "," : "");
            break;
        case params::Kind::text: text += '"' + escaped(params.*field.text) + '"'; break;
        }
    }
    return text;
}

double json_number(float value)
{
    const std::string text = params::shortest_text(value);
    double shortest = 0;
    std::from_chars(text.data(), text.data() + text.size(), shortest);
    return static_cast<float>(shortest) == value ? shortest : double(value);
}

nlohmann::json parameter_json(const Tparams& params)
{
    nlohmann::json object = nlohmann::json::object();
    for (const params::Field& field : params::saved_fields) {
        if (!params::is_saved(field, params))
            continue;
        nlohmann::json& value = object[field.name];
        switch (field.kind) {
        case params::Kind::number: value = json_number(params.*field.number); break;
        case params::Kind::count: value = params.*field.count; break;
        case params::Kind::colour:
            value = nlohmann::json::array();
            for (const std::uint8_t byte : params.*field.colour)
                value.push_back(byte);
            break;
        case params::Kind::text: value = latin1_as_utf8(params.*field.text); break;
        }
    }
    return object;
}

} // namespace file_export
