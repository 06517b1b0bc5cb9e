#include "runtime/text.h"

#include <algorithm>
#include <cstdio>

namespace runtime {

namespace {

// The length of the UTF-8 character that `text` starts with, or 0 when it
// does not start with one: a stray or missing continuation byte, an overlong
// form, a surrogate or a code point beyond U+10FFFF.
std::size_t character_length(std::string_view text)
{
    const auto byte = [&text](std::size_t at) {
        return at < text.size() ? unsigned(static_cast<unsigned char>(text[at])) : 0u;
    };
    const unsigned lead = byte(0);
    if (lead < 0x80)
        return 1;
    // The second byte's range, which rules out overlong forms and surrogates.
    unsigned low = 0x80, high = 0xbf;
    std::size_t length = 0;
    if (lead >= 0xc2 && lead <= 0xdf)
        length = 2;
    else if (lead >= 0xe0 && lead <= 0xef)
        length = 3, low = lead == 0xe0 ? 0xa0u : low, high = lead == 0xed ? 0x9fu : high;
    else if (lead >= 0xf0 && lead <= 0xf4)
        length = 4, low = lead == 0xf0 ? 0x90u : low, high = lead == 0xf4 ? 0x8fu : high;
    if (length == 0 || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t at = 2; at < length; ++at)
        if (byte(at) < 0x80 || byte(at) > 0xbf)
            return 0;
    return length;
}

} // namespace

std::string one_line(std::string_view text)
{
    std::string line;
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        std::size_t length = character_length(text.substr(at));
        // C0 and C1 controls, and DEL, steer a terminal: U+0080 to U+009F are
        // 0xC2 0x80 to 0xC2 0x9F.
        const bool control = byte < 0x20 || byte == 0x7f ||
                             (byte == 0xc2 && length == 2 && static_cast<unsigned char>(text[at + 1]) < 0xa0);
        if (length != 0 && !control) {
            line += text.substr(at, length);
        } else {
            // A byte that starts no character is escaped alone.
            length = std::max<std::size_t>(length, 1);
            for (std::size_t k = 0; k < length; ++k) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(text[at + k]));
                line += escaped;
            }
        }
        at += length;
    }
    return line;
}

std::string lower_case(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string extension_of(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0)
        return "";
    return lower_case(name.substr(dot + 1));
}

std::string listed(const std::vector<std::string>& items, const char* last)
{
    std::string list;
    for (std::size_t k = 0; k < items.size(); ++k)
        list += (k == 0 ? "" : k + 1 == items.size() ? std::string(" ") + last + " " : std::string(", ")) + items[k];
    return list;
}

} // namespace runtime
