#include "app/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

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

void windowsizecb(int width, int height)
{
    glViewport(0, 0, width, height);
    // A minimised window has no height, and so no aspect ratio.
    if (height > 0) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(40.0, static_cast<double>(width) / static_cast<double>(height), 1.0, 10.0);
        gluLookAt(-1.0, 0.0, 3.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    }
}
