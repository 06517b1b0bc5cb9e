// The font's bitmaps: one 8 x 13 pixel glyph for each printable ASCII
// character, laid out as glBitmap reads them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace font {

constexpr int first_code = 32;
constexpr int last_code = 126;
constexpr int count = last_code - first_code + 1;
constexpr int width = 8;
constexpr int height = 13;
// Rows 0 and 1 lie below the baseline, for descenders.
constexpr int baseline_row = 2;
// Pixels from one character to the next: the glyph and 2 of spacing.
constexpr int advance = 10;

// Glyph index is code - first_code. Byte r is pixel row r counted from the
// bottom; the top bit is the leftmost pixel.
extern const std::uint8_t bitmaps[count][height];

// UTF-8 `text` in characters that have glyphs: a superscript two, as in
// square millimetres, as "^2", and each other character beyond ASCII as "?",
// so that a line never loses a character silently.
std::string drawable_text(std::string_view text);

} // namespace font
