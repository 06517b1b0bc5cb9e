#include "font/Trasterfont.h"

#include "font/glyphs.h"
#include "runtime/fatal_error.h"

#include <GL/gl.h>

#include <cstddef>

namespace {

// One name for each 7-bit code; only the printable ones get a glyph.
constexpr GLsizei list_count = 128;
// The glyph's lowest rows hang below the raster position.
constexpr GLfloat glyph_x_origin = 0.0f;
constexpr GLfloat glyph_y_origin = static_cast<GLfloat>(font::baseline_row);

bool has_list(unsigned char code)
{
    return code < list_count;
}

} // namespace

Trasterfont::Trasterfont()
{
    // Each 8-pixel row is one byte, with no padding between rows.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    list_base = glGenLists(list_count);
    // Without a block of our own, compiling would overwrite other objects'
    // lists.
    if (list_base == 0)
        return;
    const runtime::Error_site site{"Trasterfont", "Trasterfont"};
    for (int code = font::first_code; code <= font::last_code; ++code) {
        glNewList(list_base + static_cast<GLuint>(code), GL_COMPILE);
        glBitmap(font::width, font::height, glyph_x_origin, glyph_y_origin, static_cast<GLfloat>(advance), 0.0f,
                 runtime::checked_at(font::bitmaps, code - font::first_code, site));
        glEndList();
    }
}

Trasterfont::~Trasterfont()
{
    if (list_base != 0)
        glDeleteLists(list_base, list_count);
}

void Trasterfont::print(std::int32_t x, std::int32_t y, std::string_view text) const
{
    // With base 0 the codes would name other objects' lists.
    if (list_base == 0)
        return;
    glPushAttrib(GL_LIST_BIT);
    glRasterPos2i(x, y);
    glDisable(GL_TEXTURE_2D);
    glListBase(list_base);
    // A byte from 128 up would call a list past the font's block, perhaps
    // another object's, so such bytes split the text into runs and are left
    // out. Plain ASCII goes to GL in one call.
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && has_list(bytes[end]))
            ++end;
        glCallLists(static_cast<GLsizei>(end - start), GL_UNSIGNED_BYTE, bytes + start);
        start = end + 1;
    }
    glPopAttrib();
}
