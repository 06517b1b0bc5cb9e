#include "scene/scene.h"

#include "scene/camera.h"
#include "shape/Tsupershape.h"
#include "shape/strip.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <climits>

namespace scene {
namespace {

constexpr float axes_half_length = 100.0f;

// The surface's light, in eye space so that it stays with the camera at any
// turn: a direction from the upper left in front, a matt diffuse part and a
// faint sheen, as printed plastic looks.
constexpr GLfloat key_light_direction[] = {-0.5f, 0.6f, 1.0f, 0.0f};
constexpr GLfloat key_light_ambient[] = {0.25f, 0.25f, 0.25f, 1.0f};
constexpr GLfloat key_light_diffuse[] = {0.8f, 0.8f, 0.8f, 1.0f};
constexpr GLfloat key_light_specular[] = {0.2f, 0.2f, 0.2f, 1.0f};
constexpr GLfloat no_global_ambient[] = {0.0f, 0.0f, 0.0f, 1.0f};
constexpr GLfloat sheen[] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLfloat sheen_shininess = 24.0f;

void place(const Placement& placement)
{
    glTranslatef(placement.offset[0], placement.offset[1], placement.offset[2]);
    // Turned towards the camera about the view's horizontal axis, as a
    // camera raised by as much sees it; none leaves the matrix bit for bit.
    if (placement.tilt != 0.0f)
        glRotated(placement.tilt, camera::right[0], camera::right[1], camera::right[2]);
    glRotatef(placement.angles[0], 1.0f, 0.0f, 0.0f);
    glRotatef(placement.angles[1], 0.0f, 1.0f, 0.0f);
    glRotatef(placement.angles[2], 0.0f, 0.0f, 1.0f);
    if (const auto& framing = placement.framing) {
        glScalef(framing->zoom, framing->zoom, framing->zoom);
        glTranslatef(-framing->centre[0], -framing->centre[1], -framing->centre[2]);
    }
}

// Pushes the projection, scaled by `zoom` about where `offset` shows.
void push_zoomed_projection(const float offset[3], float zoom)
{
    GLdouble p[16];
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    double clip[4];
    for (int row = 0; row < 4; ++row)
        clip[row] = p[row] * offset[0] + p[4 + row] * offset[1] + p[8 + row] * offset[2] + p[12 + row];
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // In clip space a translation is weighted by w, and so moves the picture by as much at every depth.
    glTranslated(clip[0] / clip[3], clip[1] / clip[3], 0.0);
    glScaled(zoom, zoom, 1.0);
    glTranslated(-clip[0] / clip[3], -clip[1] / clip[3], 0.0);
    glMultMatrixd(p);
    glMatrixMode(GL_MODELVIEW);
}

template <class Draw_model>
void draw(const Frame& frame, Draw_model draw_model, const Overlay& overlay)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_TEXTURE_2D);
    if (frame.smooth_lines)
        glEnable(GL_LINE_SMOOTH);
    else
        glDisable(GL_LINE_SMOOTH);

    // Zoom 1 leaves the projection as it is, bit for bit.
    const bool zoomed = frame.zoom != 1.0f;
    if (zoomed)
        push_zoomed_projection(frame.placement.offset, frame.zoom);
    glPushMatrix();
    place(frame.placement);
    if (frame.show_axes) {
        glPushMatrix();
        draw_axes(axes_half_length);
        glPopMatrix();
    }
    glColor4ub(frame.color[0], frame.color[1], frame.color[2], frame.color[3]);
    draw_model();
    if (overlay)
        overlay();
    glPopMatrix();
    if (zoomed) {
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
}

void draw_lit(const Surface& surface)
{
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_POLYGON_BIT);
    glPushMatrix();
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, key_light_direction);
    glPopMatrix();
    glLightfv(GL_LIGHT0, GL_AMBIENT, key_light_ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, key_light_diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, key_light_specular);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, no_global_ambient);
    // Both sides, so that an open or inside-out mesh still shows its shape.
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, sheen);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, sheen_shininess);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    // The framing scales the model, and its normals with it.
    glEnable(GL_NORMALIZE);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glShadeModel(GL_SMOOTH);

    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Tvector3), surface.mesh.positions);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, sizeof(Tvector3), surface.normals);
    // GL counts in int: a larger mesh is drawn in parts.
    constexpr std::size_t part = INT_MAX / 3;
    for (std::size_t first = 0; first < surface.mesh.triangle_count; first += part)
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(3 * std::min(part, surface.mesh.triangle_count - first)),
                       GL_UNSIGNED_INT, surface.mesh.triangles + first);
    glPopClientAttrib();
    glPopAttrib();
}

} // namespace

void set_view(int x, int y, int width, int height)
{
    glViewport(x, y, width, height);
    // A minimised window has no height, and so no aspect ratio.
    if (height > 0) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(camera::field_of_view, static_cast<double>(width) / static_cast<double>(height),
                       camera::near_plane, camera::far_plane);
        gluLookAt(camera::eye[0], camera::eye[1], camera::eye[2], 0.0, 0.0, 0.0, camera::up[0], camera::up[1],
                  camera::up[2]);
    }
}

void draw_frame(const Frame& frame, const Nsupershape::Tsupershape& shape, const Overlay& overlay)
{
    draw(
        frame, [&shape] { shape.render(1); }, overlay);
}

void draw_frame(const Frame& frame, const Mesh_view& wire)
{
    draw(frame, [&wire] { Nsupershape::draw_strip(wire, nullptr); }, {});
}

void draw_frame(const Frame& frame, const Surface& surface, const Overlay& overlay)
{
    draw(
        frame, [&surface] { draw_lit(surface); }, overlay);
}

void draw_axes(float length)
{
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(-length, 0.0f, 0.0f);
    glVertex3f(length, 0.0f, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, -length, 0.0f);
    glVertex3f(0.0f, length, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, -length);
    glVertex3f(0.0f, 0.0f, length);
    glEnd();
}

} // namespace scene
