// The control panel library: bars of buttons, separators and values bound
// to the caller's variables, drawn over the scene with Dear ImGui. Edits
// write straight into the bound variables; buttons call their callbacks.
// All input reaches it through the five event handlers, which record the
// window library's events for the next TwDraw.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum ETwGraphAPI { TW_OPENGL = 1 };

enum ETwType {
    TW_TYPE_BOOL32 = 4,
    TW_TYPE_INT32 = 10,
    TW_TYPE_FLOAT = 12,
    // Four bytes red, green, blue, alpha in memory.
    TW_TYPE_COLOR32 = 14,
};

struct TwBar;
using TwButtonCallback = void (*)(void* client_data);

// Each call returns 1 on success and 0 on failure, with the reason in
// TwGetLastError. Starting needs a current OpenGL context.
int TwInit(ETwGraphAPI graph_api, void* device);
int TwTerminate();
// The reason for the last failure, or null when nothing failed.
const char* TwGetLastError();

TwBar* TwNewBar(const char* name);

// Where a bar first shows: in the window's top-left corner (each later bar a
// little lower and to the right) or its bottom-right one (each later bar to
// the left of the one before, a folded one as wide as its title).
enum ETwBarCorner { TW_CORNER_TOP_LEFT, TW_CORNER_BOTTOM_RIGHT };
// Sets where `bar` shows and whether it starts folded to its title line;
// both take effect when it is first drawn.
int TwSetBarStart(TwBar* bar, ETwBarCorner corner, int folded);
// Where a bar was last drawn, in pixels from the window's top-left corner:
// the whole bar when open, its title line when folded.
struct TwBox {
    float left = 0, top = 0, right = 0, bottom = 0;
};
// The box of every bar the last TwDraw drew, so that what is drawn after
// the bars can keep out of them.
std::vector<TwBox> TwBarBoxes();
// `definition` holds attributes such as label='...', help='...', min=, max=,
// step=, key=SPACE and alpha; one that cannot be parsed leaves the entry out.
// A button's keys (key=R, key=CTRL+Z, key=CTRL+SHIFT+Z, several allowed)
// press it unless a field is being typed into; Shift counts only in a chord
// with Ctrl, so that R and Shift+R both press the button of R.
int TwAddButton(TwBar* bar, const char* name, TwButtonCallback callback, void* client_data, const char* definition);
int TwAddSeparator(TwBar* bar, const char* name, const char* definition);
int TwAddVarRW(TwBar* bar, const char* name, ETwType type, void* variable, const char* definition);
// A line that shows `text` as it is each frame, not editable; without a
// label it takes the bar's width and wraps.
int TwAddText(TwBar* bar, const char* name, const std::string* text, const char* definition);
// A list that shows `(*choices)[*chosen]` (nothing when out of range) and
// the choices as they are each frame; picking one, even the one shown,
// writes its place to `chosen` and then calls `picked`, unless null. Each choice shows
// whole, "##" included; one too long for the bar shows its end.
int TwAddChoice(TwBar* bar, const char* name, const std::vector<std::string>* choices, std::int32_t* chosen,
                TwButtonCallback picked, void* client_data, const char* definition);

// What the mouse does outside every bar. The four numbers and the switch
// are values of entries already added, edited within their ranges: a left
// drag turns the view, half a degree a pixel (across about y, down about x),
// and switches `spinning` off; a right or middle drag moves it with the
// pointer, `view_height` being the window's height in pan units; the wheel
// zooms, `zoom` growing by a tenth a notch, from 1/4 to 4, about where the
// model shows. A press that a bar takes stays that bar's. When a drag stops
// the spin, `spin_stopped` (if given) is called first, so that the turn goes
// on from the angles the spin reached rather than jumping back.
struct TwViewControls {
    float* turn_x = nullptr;
    float* turn_y = nullptr;
    float* pan_x = nullptr;
    float* pan_y = nullptr;
    std::int32_t* spinning = nullptr;
    float* zoom = nullptr;
    float view_height = 1.0f;
    std::function<void()> spin_stopped;
};
int TwSetViewControls(const TwViewControls& controls);

// The framebuffer size in pixels.
int TwWindowSize(int width, int height);
// Runs the bars for this frame on the input recorded since the last one
// (edits, button callbacks and shortcuts happen here) and draws them,
// leaving the caller's GL state as it was.
int TwDraw();
// Whether the last TwDraw left an edit under way: a value being dragged or
// typed into, a button or list held open, the view being dragged; such an
// edit ends when it is let go.
bool TwEditing();
// Whether the last TwDraw took an Esc press that the panel did not use: Esc
// drops the text of a field being typed into and closes an open list or
// colour picker.
bool TwEscapeUnused();

// Event handlers for the window library. Keys are its key codes.
void TwEventMouseButtonGLFW(int button, int action);
void TwMouseMotion(int x, int y);
// The wheel's accumulated position.
void TwMouseWheel(int position);
void TwEventKeyGLFW(int key, int action);
void TwEventCharGLFW(int character, int action);
