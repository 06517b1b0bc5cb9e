// Drawing the supershape: one line strip through the corners of every
// triangle but the last five, in immediate use or compiled into a list.
#include "shape/Tsupershape.h"

#include <GL/gl.h>

namespace Nsupershape {
namespace {

constexpr std::int32_t triangles_left_out = 5;

// The strip is the triangle list read as a flat index array, so it goes to
// GL in one draw call over the mesh arrays.
void emit_strip(const Tsupershape& shape, bool with_colors)
{
    const std::int32_t drawn = shape.triangle_count - triangles_left_out;
    if (drawn <= 0)
        return;
    static_assert(sizeof(Ttriangle) == 3 * sizeof(GLuint), "triangles must read as an index array");
    const GLsizei corner_count = 3 * drawn;

    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Tvector3), shape.vertices.get());
    if (with_colors) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, sizeof(Tcolor), shape.colors.get());
    }
    glDrawElements(GL_LINE_STRIP, corner_count, GL_UNSIGNED_INT, shape.triangles.get());
    glPopClientAttrib();

    // A colour array leaves the current colour undefined; leave it at the
    // last corner's, as sending corner by corner does.
    if (with_colors)
        glColor4fv(&shape.colors[shape.triangles[drawn - 1].i2].r);
}

} // namespace

void Tsupershape::render(std::int32_t single_color) const
{
    emit_strip(*this, single_color == 0);
}

void Tsupershape::build_list()
{
    list_deleter = [](std::uint32_t list) { glDeleteLists(list, 1); };
    delete_list();
    display_list = glGenLists(1);
    glNewList(display_list, GL_COMPILE);
    emit_strip(*this, true);
    glEndList();
}

// Without a list nothing is drawn; calling list 0 would only raise a GL error.
void Tsupershape::render_dl() const
{
    if (display_list != 0)
        glCallList(display_list);
}

} // namespace Nsupershape
