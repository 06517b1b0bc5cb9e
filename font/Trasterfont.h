// The raster font: every printable ASCII character compiled once into a GL
// display list, so that a line of text costs one call per frame.
#pragma once

#include "font/glyphs.h"

#include <cstdint>
#include <string_view>

class Trasterfont {
public:
    // Pixels from one character to the next: 8 of glyph and 2 of spacing.
    static constexpr std::int32_t advance = font::advance;

    // First of the font's 128 list names; list_base + c draws code c. 0 when
    // no names could be had.
    std::uint32_t list_base = 0;

    // Needs a current GL context. Leaves the unpack alignment at 1.
    Trasterfont();
    // Deletes the lists, so the context must still be current.
    ~Trasterfont();

    // The object owns its list names.
    Trasterfont(const Trasterfont&) = delete;
    Trasterfont& operator=(const Trasterfont&) = delete;

    // Draws `text` as one line in the current colour, with the raster
    // position at (x, y), 10 pixels a character. Codes without a glyph (0 to
    // 31, 127 and from 128 up) draw nothing and take no room. The whole text
    // is skipped when (x, y) lies outside the viewport. Restores the list
    // base; leaves GL_TEXTURE_2D off.
    void print(std::int32_t x, std::int32_t y, std::string_view text) const;
};
