#include "tests/support/reference_mesh.h"

#include <GL/gl.h>

namespace test_support {

void emit_strip_by_corner(const Nsupershape::Tsupershape& shape, bool with_colors)
{
    glBegin(GL_LINE_STRIP);
    for (int t = 0; t <= shape.triangle_count - 6; ++t) {
        const Nsupershape::Ttriangle& triangle = shape.triangles[t];
        for (int corner : {triangle.i0, triangle.i1, triangle.i2}) {
            if (with_colors)
                glColor4fv(&shape.colors[corner].r);
            glVertex3fv(&shape.vertices[corner].x);
        }
    }
    glEnd();
}

} // namespace test_support
