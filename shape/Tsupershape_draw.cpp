// Drawing the supershape: one line strip through the corners of every
// triangle but the last five, in immediate use or compiled into a list.
#include "shape/Tsupershape.h"
#include "shape/strip.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>

namespace Nsupershape {
namespace {

constexpr std::size_t triangles_left_out = 5;

// GL counts in int.
constexpr std::size_t most_corners = INT_MAX;

} // namespace

// The strip is the triangle list read as a flat index array.
void draw_strip(const Mesh_view& mesh, const Tcolor* colors)
{
    if (mesh.triangle_count <= triangles_left_out)
        return;
    const std::size_t drawn = mesh.triangle_count - triangles_left_out;
    static_assert(sizeof(Ttriangle) == 3 * sizeof(GLuint), "triangles must read as an index array");

    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Tvector3), mesh.positions);
    if (colors) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, sizeof(Tcolor), colors);
    }
    glDrawElements(GL_LINE_STRIP, static_cast<GLsizei>(std::min(3 * drawn, most_corners)), GL_UNSIGNED_INT,
                   mesh.triangles);
    glPopClientAttrib();

    // A colour array leaves the current colour undefined; leave it at the
    // last corner's, as sending corner by corner does.
    if (colors)
        glColor4fv(&colors[mesh.triangles[drawn - 1].i2].r);
}

void Tsupershape::render(std::int32_t single_color) const
{
    draw_strip(view_of(*this), single_color == 0 ? colors.get() : nullptr);
}

void Tsupershape::build_list()
{
    list_deleter = [](std::uint32_t list) { glDeleteLists(list, 1); };
    delete_list();
    display_list = glGenLists(1);
    glNewList(display_list, GL_COMPILE);
    draw_strip(view_of(*this), colors.get());
    glEndList();
}

// Without a list nothing is drawn; calling list 0 would only raise a GL error.
void Tsupershape::render_dl() const
{
    if (display_list != 0)
        glCallList(display_list);
}

} // namespace Nsupershape
