// The panel library's life and frame on Dear ImGui's OpenGL 2 back end:
// each bar is an ImGui window, run and drawn once a frame in TwDraw. The
// handlers only record events; TwDraw hands them to ImGui before the frame
// starts (panel/imgui_input.h), so the panel needs nothing from the window
// library but its handlers.
#include "panel/tweak_bar.h"

#include "panel/imgui_input.h"
#include "panel/registry.h"
#include "panel/widgets.h"

#include <GL/gl.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

int TwInit(ETwGraphAPI graph_api, void*)
{
    if (panel::registry_open())
        return panel::fail("the panel library is already started");
    if (graph_api != TW_OPENGL)
        return panel::fail("only OpenGL is supported");
    if (glGetString(GL_VERSION) == nullptr)
        return panel::fail("no current OpenGL context");
    panel::start_imgui();
    ImGui_ImplOpenGL2_Init();
    return 1;
}

int TwTerminate()
{
    if (!panel::registry_open())
        return panel::fail("the panel library is not started");
    ImGui_ImplOpenGL2_Shutdown();
    panel::stop_imgui();
    return 1;
}

int TwWindowSize(int width, int height)
{
    panel::record_window_size(width, height);
    return 1;
}

int TwDraw()
{
    if (!panel::registry_open())
        return panel::fail("the panel library is not started");
    // Everything ImGui's renderer and font upload touch, put back afterwards.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);

    ImGui_ImplOpenGL2_NewFrame();
    panel::run_frame();
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());

    glPopClientAttrib();
    glPopAttrib();
    return 1;
}

std::vector<TwBox> TwBarBoxes()
{
    std::vector<TwBox> boxes;
    if (panel::registry_open())
        for (const auto& bar : panel::bars())
            if (bar->drawn.ever)
                boxes.push_back(bar->drawn.box);
    return boxes;
}

bool TwEditing()
{
    return panel::registry_open() && panel::editing();
}

bool TwEscapeUnused()
{
    return panel::registry_open() && panel::escape_unused();
}

void TwEventMouseButtonGLFW(int button, int action)
{
    if (panel::registry_open())
        panel::record_mouse_button(button, action);
}

void TwMouseMotion(int x, int y)
{
    if (panel::registry_open())
        panel::record_mouse_position(x, y);
}

void TwMouseWheel(int position)
{
    if (panel::registry_open())
        panel::record_wheel(position);
}

void TwEventKeyGLFW(int key, int action)
{
    if (panel::registry_open())
        panel::record_key(key, action);
}

void TwEventCharGLFW(int character, int action)
{
    if (panel::registry_open())
        panel::record_character(character, action);
}
