#include "screen/Tscreen.h"

#include "runtime/console.h"
#include "screen/glfw_layer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>

namespace {

constexpr int requested_bits = 8;
constexpr int glfw_failure_pause_ms = 1000;

} // namespace

Tscreen::Tscreen(std::int32_t width, std::int32_t height, std::int32_t full_screen)
{
    if (!glfw_layer::init()) {
        runtime::console_line("Failed to initialize GLFW!");
        runtime::pause_for_key(glfw_failure_pause_ms);
        std::exit(0);
    }
    this->width = static_cast<std::uint32_t>(width);
    this->height = static_cast<std::uint32_t>(height);
    red_bits = green_bits = blue_bits = alpha_bits = depth_bits = stencil_bits = requested_bits;
    window_mode = full_screen == 0 ? glfw_layer::window_mode_window : glfw_layer::window_mode_fullscreen;

    if (!glfw_layer::open_window(width, height, red_bits, green_bits, blue_bits, alpha_bits, depth_bits,
                                 stencil_bits, window_mode)) {
        glfw_layer::terminate();
        std::exit(0);
    }
    glfw_layer::swap_interval(1);
    gl_version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    owns_glfw = 1;
}

Tscreen::~Tscreen()
{
    bloom_pixels.reset();
    bloom_scratch.reset();
    glDeleteTextures(1, &render_texture);
    glDeleteTextures(1, &bloom_texture);
    if (owns_glfw == 1)
        glfw_layer::terminate();
}

void Tscreen::init_gl_screen()
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

void Tscreen::view_ortho()
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, height, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void Tscreen::view_perspective()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
