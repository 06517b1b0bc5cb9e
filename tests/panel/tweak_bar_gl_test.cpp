// The panel on a real context: entries refused or used through its handlers, and the GL state it leaves.
#include "panel/entry.h"
#include "panel/widgets.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

// A bar alone sits at the top-left, its first row under the title; twelve-character labels put values at x = 124.
constexpr int first_row_y = 52, row_pitch = 23;
constexpr int label_x = 40, check_box_x = 133, field_x = 150;

int presses = 0;
void count_press(void* client_data) { ++*static_cast<int*>(client_data); } // given &presses

// ImGui learns that typing ended two frames after it did.
void frames()
{
    for (int i = 0; i < 3; ++i)
        TwDraw();
}
void click(int x, int y)
{
    TwMouseMotion(x, y);
    TwEventMouseButtonGLFW(GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS);
    TwEventMouseButtonGLFW(GLFW_MOUSE_BUTTON_LEFT, GLFW_RELEASE);
    frames();
}
// `button` pressed at (x, y), moved to (to_x, to_y) in the next frame and let go in the one after.
void drag(int button, int x, int y, int to_x, int to_y)
{
    TwMouseMotion(x, y);
    TwEventMouseButtonGLFW(button, GLFW_PRESS);
    frames();
    TwMouseMotion(to_x, to_y);
    frames();
    TwEventMouseButtonGLFW(button, GLFW_RELEASE);
    frames();
}
// `key` pressed and released while `modifiers` are held.
void press(int key, std::initializer_list<int> modifiers = {})
{
    for (int modifier : modifiers)
        TwEventKeyGLFW(modifier, GLFW_PRESS);
    TwEventKeyGLFW(key, GLFW_PRESS);
    TwEventKeyGLFW(key, GLFW_RELEASE);
    frames();
    for (int modifier : modifiers)
        TwEventKeyGLFW(modifier, GLFW_RELEASE);
    frames();
}
void type(const std::string& text, bool enter = true)
{
    for (char c : text)
        TwEventCharGLFW(c, GLFW_PRESS);
    frames();
    if (enter)
        press(GLFW_KEY_ENTER);
}

class PanelTest : public test_support::Gl_test {
protected:
    PanelTest() { width = height = 400; }
};

} // namespace

// Entries refused with the reason; a button with a shortcut, a box and two ranged numbers used; the GL state kept.
TEST_F(PanelTest, RefusedEntriesClicksTypedValuesTheShortcutAndTheStateLeft)
{
    ASSERT_EQ(TwInit(TW_OPENGL, nullptr), 1);
    TwWindowSize(width, height);
    TwBar* bar = TwNewBar("Test");
    std::int32_t flag = -1, count = 8;
    float factor = 1.0f;
    const auto why = [](int result) { return std::string(result ? "accepted" : TwGetLastError()); };
    EXPECT_EQ(why(TwAddVarRW(bar, "v", TW_TYPE_FLOAT, &factor, " key=SPACE ")),
              "v: 'key' does not apply to this entry");
    EXPECT_EQ(why(TwAddVarRW(bar, "f", TW_TYPE_BOOL32, &flag, " min=0 ")), "f: 'min' does not apply to this entry");
    EXPECT_EQ(why(TwAddVarRW(bar, "f", TW_TYPE_FLOAT, &flag, " alpha ")), "f: 'alpha' does not apply to this entry");
    EXPECT_EQ(why(TwAddVarRW(bar, "t", static_cast<ETwType>(99), &flag, "")), "t: unknown type 99");
    EXPECT_EQ(why(TwAddVarRW(bar, "n", TW_TYPE_INT32, nullptr, "")), "n: no variable to edit");
    EXPECT_EQ(why(TwAddButton(bar, "Press", count_press, &presses, " key = SPACE ")), "accepted");
    EXPECT_EQ(why(TwAddButton(bar, "Press", count_press, &presses, "")),
              "Press: the bar already has an entry of that name");
    TwAddVarRW(bar, "flag", TW_TYPE_BOOL32, &flag, " label='Twelve chars' ");
    TwAddVarRW(bar, "count", TW_TYPE_INT32, &count, " min=1 max=999 step=1 ");
    TwAddVarRW(bar, "factor", TW_TYPE_FLOAT, &factor, " min=0.01 max=99 step=0.001 ");
    const int box_y = first_row_y + row_pitch, count_y = box_y + row_pitch, factor_y = count_y + row_pitch;
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glMatrixMode(GL_PROJECTION);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);

    TwDraw(); // the bar takes clicks once a frame has laid it out
    click(label_x, first_row_y);
    click(label_x, first_row_y + 10 * row_pitch); // below the entries
    EXPECT_EQ(presses, 1);
    click(check_box_x, box_y);
    EXPECT_EQ(flag, 0);
    click(check_box_x, box_y);
    EXPECT_EQ(flag, 1);

    click(field_x, count_y);
    type("64", false);
    EXPECT_EQ(count, 8) << "nothing changes before Enter";
    press(GLFW_KEY_ENTER);
    EXPECT_EQ(count, 64);
    click(field_x, count_y);
    type("5000");
    click(field_x, factor_y);
    type("0");
    EXPECT_EQ(std::pair(count, factor), std::pair(999, 0.01f)) << "each clamped to its range";
    // Dragged by its label a number moves by its step a pixel, or 0.5 % of itself where that is more; Shift: a tenth.
    drag(GLFW_MOUSE_BUTTON_LEFT, label_x, factor_y, label_x + 20, factor_y);
    TwEventKeyGLFW(GLFW_KEY_LEFT_SHIFT, GLFW_PRESS);
    drag(GLFW_MOUSE_BUTTON_LEFT, label_x, factor_y, label_x + 20, factor_y);
    TwEventKeyGLFW(GLFW_KEY_LEFT_SHIFT, GLFW_RELEASE);
    drag(GLFW_MOUSE_BUTTON_LEFT, label_x, count_y, label_x - 10, count_y);
    EXPECT_FLOAT_EQ(factor, 0.032f);
    EXPECT_EQ(count, 949);

    // The shortcut pressed outside a field is the editor's Reset, which its end-to-end test presses.
    click(field_x, count_y);
    TwEventKeyGLFW(GLFW_KEY_SPACE, GLFW_PRESS);
    TwEventCharGLFW(' ', GLFW_PRESS);
    TwEventKeyGLFW(GLFW_KEY_SPACE, GLFW_RELEASE);
    frames();
    EXPECT_EQ(presses, 1) << "a blank typed into a field is not the shortcut";
    press(GLFW_KEY_ENTER);

    // What the test set is kept; what the panel switches on for its drawing is off again.
    EXPECT_EQ(test_support::gl({GL_MATRIX_MODE, GL_TEXTURE_BINDING_2D, GL_BLEND_SRC, GL_BLEND_DST, GL_DEPTH_TEST,
                                GL_BLEND, GL_TEXTURE_2D, GL_SCISSOR_TEST, GL_VERTEX_ARRAY}),
              (test_support::Ints{GL_PROJECTION, texture, GL_SRC_ALPHA, GL_ONE, 1, 0, 0, 0, 0}));
    EXPECT_EQ(test_support::gl<float>({GL_CURRENT_COLOR}, 4), (std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f}));
    glDeleteTextures(1, &texture);
    TwTerminate();
}

// Chords press only their own button; a held button is an edit under way until let go; a list picks and calls back.
TEST_F(PanelTest, ChordsHeldEditsAndAListsPick)
{
    ASSERT_EQ(TwInit(TW_OPENGL, nullptr), 1);
    TwWindowSize(width, height);
    TwBar* bar = TwNewBar("Test");
    int undos = 0, redos = 0, draws = 0, picks = 0;
    std::int32_t chosen = 5;
    const std::string line = "seed 1, draw 2";
    TwAddButton(bar, "Undo", count_press, &undos, " key=CTRL+Z ");
    TwAddButton(bar, "Redo", count_press, &redos, " key=CTRL+SHIFT+Z key=CTRL+Y ");
    TwAddButton(bar, "Draw", count_press, &draws, " key=R ");
    std::vector<std::string> choices{"first", "##"}; // ImGui would read "##" as the start of an id
    ASSERT_EQ(TwAddChoice(bar, "list", &choices, &chosen, count_press, &picks, ""), 1);
    ASSERT_EQ(TwAddText(bar, "line", &line, ""), 1);
    EXPECT_EQ(TwAddChoice(bar, "none", &choices, nullptr, count_press, &picks, ""), 0);
    TwDraw();

    press(GLFW_KEY_Z, {GLFW_KEY_LEFT_CONTROL});
    press(GLFW_KEY_Z, {GLFW_KEY_RIGHT_CONTROL, GLFW_KEY_LEFT_SHIFT});
    press(GLFW_KEY_Y, {GLFW_KEY_LEFT_CONTROL});
    press(GLFW_KEY_R, {GLFW_KEY_LEFT_SHIFT});
    press(GLFW_KEY_R, {GLFW_KEY_LEFT_CONTROL});
    press(GLFW_KEY_Z);
    EXPECT_EQ(std::vector<int>({undos, redos, draws}), std::vector<int>({1, 2, 1}));

    TwMouseMotion(label_x, first_row_y);
    TwEventMouseButtonGLFW(GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS);
    frames();
    EXPECT_EQ(std::pair(TwEditing(), undos), std::pair(true, 1)) << "a button acts when let go";
    TwEventMouseButtonGLFW(GLFW_MOUSE_BUTTON_LEFT, GLFW_RELEASE);
    frames();
    EXPECT_EQ(std::pair(TwEditing(), undos), std::pair(false, 2));

    const int list_y = first_row_y + 3 * row_pitch;
    click(field_x, list_y);
    click(field_x, list_y + row_pitch + 17); // the second line of the open list
    EXPECT_EQ(std::pair(chosen, picks), std::pair(1, 1));
    glClear(GL_COLOR_BUFFER_BIT);
    TwDraw();
    std::vector<test_support::Rgba> shown(60 * 12);
    glReadPixels(label_x + 20, height - list_y - 6, 60, 12, GL_RGBA, GL_UNSIGNED_BYTE, shown.data());
    EXPECT_GT(std::count_if(shown.begin(), shown.end(), [](const auto& p) { return p.r > 200; }), 10)
        << "\"##\" shown as chosen";
    // 7 pixels a character, so 100 pixels hold "..." and the last 11.
    EXPECT_EQ(panel::end_within("shapes/shape_12-08-2026_04-31-12", 100.0f), "...26_04-31-12");
    EXPECT_EQ(panel::end_within("star", 100.0f), "star");

    for (int i = 0; i < 3; ++i) // all pressed while one slow frame was drawn
        for (const auto& [key, action] : {std::pair(GLFW_KEY_R, GLFW_PRESS),
                                          {GLFW_KEY_R, GLFW_RELEASE},
                                          {GLFW_KEY_LEFT_CONTROL, GLFW_PRESS},
                                          {GLFW_KEY_Z, GLFW_PRESS},
                                          {GLFW_KEY_Z, GLFW_RELEASE},
                                          {GLFW_KEY_LEFT_CONTROL, GLFW_RELEASE}})
            TwEventKeyGLFW(key, action);
    TwDraw();
    EXPECT_EQ(std::vector<int>({undos, draws}), std::vector<int>({2 + 3, 1 + 3})) << "each press in the next frame";

    // Outside the bar a left drag turns the view and stops its spin, turning on from where the spin had got to; a right
    // drag pans, the wheel zooms; a press the bar takes is the bar's, and the next click is the bar's too.
    float view[4] = {}, zoom = 1.0f; // turned about x and y, moved in x and y
    std::int32_t spinning = 1, handed_over = 0;
    for (float& value : view)
        TwAddVarRW(bar, std::to_string(&value - view).c_str(), TW_TYPE_FLOAT, &value, " min=-5 max=5 ");
    TwAddVarRW(bar, "spin", TW_TYPE_BOOL32, &spinning, "");
    ASSERT_EQ(TwSetViewControls({&view[0], &view[1], &view[2], &view[3], &spinning, &zoom, 40.0f,
                                 [&] { view[0] = view[1] = 1, ++handed_over; }}),
              1);
    drag(GLFW_MOUSE_BUTTON_LEFT, 300, 200, 306, 204);
    drag(GLFW_MOUSE_BUTTON_RIGHT, 300, 200, 310, 220);
    EXPECT_EQ(std::vector<float>(view, view + 4), std::vector<float>({3, 4, 1, -2}));
    EXPECT_EQ(std::pair(spinning, handed_over), std::pair(0, 1));
    drag(GLFW_MOUSE_BUTTON_LEFT, 300, 200, 300, 260);
    drag(GLFW_MOUSE_BUTTON_LEFT, label_x, first_row_y + row_pitch, 390, 390);
    EXPECT_EQ(std::pair(view[0], view[1]), std::pair(5.0f, 4.0f)) << "within the range, and not from the bar";
    click(label_x, first_row_y);
    EXPECT_EQ(undos, 6);
    TwMouseWheel(0);
    TwMouseWheel(30); // over the bar
    TwMouseMotion(300, 200);
    frames();
    TwMouseWheel(32);
    frames();
    EXPECT_FLOAT_EQ(zoom, 1.21f);
    TwMouseWheel(-100);
    frames();
    EXPECT_EQ(zoom, 0.25f);
    TwTerminate();
}
