#include "scene/gl_start_state.h"

#include <GL/gl.h>
#include <GL/glu.h>

void init_gl_state(std::uint32_t width, std::uint32_t height)
{
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), 1.0, 500.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_COLOR_MATERIAL);
    // Additive blending for the effects; blending itself stays off.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPolygonMode(GL_FRONT, GL_FILL);

    const GLfloat material_ambient[] = {0.5f, 0.5f, 1.0f, 0.15f};
    const GLfloat material_diffuse[] = {0.75f, 0.75f, 0.0f, 1.0f};
    const GLfloat material_specular[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glMaterialfv(GL_FRONT, GL_AMBIENT, material_ambient);
    glMaterialf(GL_FRONT, GL_SHININESS, 15.0f);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, material_diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, material_specular);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);

    // Given under the identity model-view, so the light is fixed in eye space.
    // Lighting stays off: drawn colours come straight from the current colour.
    const GLfloat light_ambient[] = {0.5f, 0.5f, 0.5f, 1.0f};
    const GLfloat light_diffuse[] = {0.5f, 0.5f, 0.5f, 1.0f};
    const GLfloat light_position[] = {-7.0f, 8.0f, -6.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, light_ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, light_diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, light_position);
}
