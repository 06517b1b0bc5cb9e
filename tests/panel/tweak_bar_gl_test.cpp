// The panel library on a real context: entries accepted and refused, the
// GL state it leaves, and input fed through its handlers as the window
// library would.
#include "app/Tparams.h"
#include "app/shapebar.h"
#include "panel/tweak_bar.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A bar alone sits at the top-left; its first row starts under the title.
// Values labelled with twelve characters start at x = 124.
constexpr int first_row_y = 52;
constexpr int row_pitch = 23;
constexpr int label_x = 40;
constexpr int check_box_x = 133;
constexpr int field_x = 150;

int presses = 0;
void count_press(void* client_data)
{
    ++presses;
    EXPECT_EQ(client_data, &presses);
}

class PanelTest : public test_support::Gl_test {
protected:
    void SetUp() override
    {
        width = 400;
        height = 400;
        Gl_test::SetUp();
        ASSERT_EQ(TwInit(TW_OPENGL, nullptr), 1);
        TwWindowSize(width, height);
        presses = 0;
    }
    void TearDown() override
    {
        TwTerminate();
        Gl_test::TearDown();
    }

    // ImGui learns that typing ended two frames after it did.
    static void frames(int count = 3)
    {
        for (int i = 0; i < count; ++i)
            TwDraw();
    }
    static void click(int x, int y)
    {
        TwMouseMotion(x, y);
        TwEventMouseButtonGLFW(GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS);
        TwEventMouseButtonGLFW(GLFW_MOUSE_BUTTON_LEFT, GLFW_RELEASE);
        frames();
    }
    static void press(int key)
    {
        TwEventKeyGLFW(key, GLFW_PRESS);
        TwEventKeyGLFW(key, GLFW_RELEASE);
        frames();
    }
    static void type(const std::string& text)
    {
        for (char c : text)
            TwEventCharGLFW(c, GLFW_PRESS);
        frames();
        press(GLFW_KEY_ENTER);
    }
};

} // namespace

TEST_F(PanelTest, TheShapeBarTakesAllItsEntries)
{
    Tparams params;
    set_start_values(params);
    TwBar* bar = TwNewBar("Supershape");
    ASSERT_NE(bar, nullptr);
    init_shapebar(bar, params);
    EXPECT_EQ(TwGetLastError(), nullptr) << TwGetLastError();
    frames();
    EXPECT_GT(read_framebuffer().lit_count(), 0);
}

TEST_F(PanelTest, RefusedEntriesAreLeftOutAndTheRestWorks)
{
    TwBar* bar = TwNewBar("Test");
    float value = 0;
    std::int32_t flag = 0;
    EXPECT_EQ(TwAddVarRW(bar, "v", TW_TYPE_FLOAT, &value, " label='unclosed "), 0);
    EXPECT_STREQ(TwGetLastError(), "v: missing closing quote for label");
    EXPECT_EQ(TwAddVarRW(bar, "v", TW_TYPE_FLOAT, &value, " key=SPACE "), 0);
    EXPECT_STREQ(TwGetLastError(), "v: 'key' does not apply to this entry");
    EXPECT_EQ(TwAddVarRW(bar, "f", TW_TYPE_BOOL32, &flag, " min=0 "), 0);
    EXPECT_EQ(TwAddVarRW(bar, "f", TW_TYPE_FLOAT, &flag, " alpha "), 0);
    EXPECT_EQ(TwAddVarRW(bar, "t", static_cast<ETwType>(99), &flag, ""), 0);
    EXPECT_STREQ(TwGetLastError(), "t: unknown type 99");
    EXPECT_EQ(TwAddVarRW(bar, "n", TW_TYPE_INT32, nullptr, ""), 0);

    EXPECT_EQ(TwAddButton(bar, "Press", count_press, &presses, " label='Press me' "), 1);
    EXPECT_EQ(TwAddButton(bar, "Press", count_press, &presses, ""), 0);
    EXPECT_STREQ(TwGetLastError(), "Press: the bar already has an entry of that name");
    frames();
    click(label_x, first_row_y);
    EXPECT_EQ(presses, 1) << "the one accepted entry is the first row";
}

TEST_F(PanelTest, DrawingLeavesTheFramesStateAsItFoundIt)
{
    TwBar* bar = TwNewBar("Test");
    std::int32_t flag = -1;
    TwAddVarRW(bar, "flag", TW_TYPE_BOOL32, &flag, "");

    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTranslatef(1, 2, 3);
    glMatrixMode(GL_PROJECTION);
    glOrtho(-2, 2, -2, 2, -1, 1);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LINE_SMOOTH);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    GLfloat model[16], projection[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, model);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);

    frames();
    EXPECT_GT(read_framebuffer().lit_count(), 0) << "the bar was drawn";

    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(std::memcmp(model, after, sizeof after), 0);
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    EXPECT_EQ(std::memcmp(projection, after, sizeof after), 0);
    GLint mode, bound, source, destination;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_TRUE(mode == GL_PROJECTION && bound == static_cast<GLint>(texture));
    EXPECT_TRUE(source == GL_SRC_ALPHA && destination == GL_ONE);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_LINE_SMOOTH));
    EXPECT_FALSE(glIsEnabled(GL_BLEND) || glIsEnabled(GL_TEXTURE_2D) || glIsEnabled(GL_SCISSOR_TEST) ||
                 glIsEnabled(GL_VERTEX_ARRAY));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[2], 0.75f);
    glDeleteTextures(1, &texture);
}

TEST_F(PanelTest, ClicksPressButtonsOnceAndTickBoxesWithTheLibrarysValues)
{
    TwBar* bar = TwNewBar("Test");
    std::int32_t flag = -1;
    TwAddButton(bar, "Press", count_press, &presses, "");
    TwAddVarRW(bar, "flag", TW_TYPE_BOOL32, &flag, " label='Twelve chars' ");
    frames();
    click(label_x, first_row_y);
    EXPECT_EQ(presses, 1);
    click(label_x, first_row_y + 10 * row_pitch);  // below the entries
    EXPECT_EQ(presses, 1);

    click(check_box_x, first_row_y + row_pitch);
    EXPECT_EQ(flag, 0);
    click(check_box_x, first_row_y + row_pitch);
    EXPECT_EQ(flag, 1);
}

TEST_F(PanelTest, TypedValuesApplyOnEnterWithinTheirRange)
{
    TwBar* bar = TwNewBar("Test");
    std::int32_t count = 8;
    float factor = 1.0f;
    TwAddVarRW(bar, "count", TW_TYPE_INT32, &count, " label='Twelve chars' min=1 max=999 step=1 ");
    TwAddVarRW(bar, "factor", TW_TYPE_FLOAT, &factor, " label='Other twelve' min=0.01 max=99 step=0.001 ");
    frames();

    click(field_x, first_row_y);
    TwEventCharGLFW('6', GLFW_PRESS);
    TwEventCharGLFW('4', GLFW_PRESS);
    frames();
    EXPECT_EQ(count, 8) << "nothing changes before Enter";
    press(GLFW_KEY_ENTER);
    EXPECT_EQ(count, 64);

    click(field_x, first_row_y);
    type("5000");
    EXPECT_EQ(count, 999);

    click(field_x, first_row_y + row_pitch);
    type("nan");
    EXPECT_EQ(factor, 1.0f);
    click(field_x, first_row_y + row_pitch);
    type("0");
    EXPECT_EQ(factor, 0.01f);
}

TEST_F(PanelTest, TheShortcutPressesItsButtonUnlessAFieldIsBeingTyped)
{
    TwBar* bar = TwNewBar("Test");
    std::int32_t count = 8;
    TwAddVarRW(bar, "count", TW_TYPE_INT32, &count, " label='Twelve chars' ");
    TwAddButton(bar, "Reset", count_press, &presses, " key = SPACE ");
    frames();

    press(GLFW_KEY_SPACE);
    EXPECT_EQ(presses, 1);

    click(field_x, first_row_y);
    TwEventKeyGLFW(GLFW_KEY_SPACE, GLFW_PRESS);
    TwEventCharGLFW(' ', GLFW_PRESS);
    TwEventKeyGLFW(GLFW_KEY_SPACE, GLFW_RELEASE);
    frames();
    EXPECT_EQ(presses, 1) << "a blank typed into a field is not Reset";
    press(GLFW_KEY_ENTER);
    press(GLFW_KEY_SPACE);
    EXPECT_EQ(presses, 2);
}
