// The panel library on a real context: entries accepted and refused, the
// GL state it leaves, and input fed through its handlers as the window
// library would.
#include "app/Tparams.h"
#include "app/shapebar.h"
#include "panel/tweak_bar.h"
#include "tests/support/child_process.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <tuple>
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

// Seeded random events of every kind, one per frame, many per frame and none
// for runs of frames, on the editor's own bar. In a child, so that an abort
// fails the test; its context is its own, as GL threads do not survive a fork.
TEST(PanelInput, NoEventSequenceEndsTheProgramOrLeavesAValueOutOfRange)
{
    const auto folder = std::filesystem::temp_directory_path() / ("panel-input-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "shapes");  // for Save
    const auto result = test_support::run_in_child([&] {
        std::filesystem::current_path(folder);
        glfwInit();
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        glfwMakeContextCurrent(glfwCreateWindow(400, 400, "input", nullptr, nullptr));
        Tparams params;
        set_start_values(params);

        const int keys[] = {GLFW_KEY_TAB, GLFW_KEY_LEFT, GLFW_KEY_RIGHT, GLFW_KEY_UP, GLFW_KEY_DOWN,
                            GLFW_KEY_PAGE_UP, GLFW_KEY_PAGE_DOWN, GLFW_KEY_HOME, GLFW_KEY_END, GLFW_KEY_INSERT,
                            GLFW_KEY_DELETE, GLFW_KEY_BACKSPACE, GLFW_KEY_SPACE, GLFW_KEY_ENTER, GLFW_KEY_ESCAPE,
                            GLFW_KEY_KP_ENTER, GLFW_KEY_A, GLFW_KEY_C, GLFW_KEY_V, GLFW_KEY_X, GLFW_KEY_Y,
                            GLFW_KEY_Z, GLFW_KEY_1, GLFW_KEY_LEFT_CONTROL, GLFW_KEY_RIGHT_CONTROL,
                            GLFW_KEY_LEFT_SHIFT, GLFW_KEY_RIGHT_SHIFT, GLFW_KEY_LEFT_ALT, GLFW_KEY_RIGHT_ALT,
                            GLFW_KEY_LEFT_SUPER, GLFW_KEY_RIGHT_SUPER, GLFW_KEY_UNKNOWN, 600};
        const int characters[] = {'0', '7', '.', '-', 'e', '+', 'x', ' ',
                                  0xE9, 0x20AC, 0x1F600, 0xD800, 0x110000, -5, 0};
        const int sizes[][2] = {{0, 0}, {400, 0}, {1, 1}, {120, 90}, {400, 400}};
        std::mt19937 random(2);
        const auto pick = [&](int count) { return static_cast<int>(random() % static_cast<unsigned>(count)); };
        int wheel = 0, events_per_frame = 1;
        bool typing = false;
        for (int event = 0; event < 6000; ++event) {
            // Runs of events on a fresh bar scrolled to its fields; every other
            // one types into a field, without clicks that would end that.
            if (event % 200 == 0) {
                TwTerminate();
                TwInit(TW_OPENGL, nullptr);
                TwWindowSize(400, 400);
                init_shapebar(TwNewBar("Supershape"), params);
                TwMouseMotion(120, 200);
                TwMouseWheel(wheel);
                TwMouseWheel(wheel -= 30);
                if ((typing = pick(2))) {
                    TwMouseMotion(130 + pick(40), 43 + 23 * pick(13));
                    TwEventMouseButtonGLFW(GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS);
                    TwEventMouseButtonGLFW(GLFW_MOUSE_BUTTON_LEFT, GLFW_RELEASE);
                }
            }
            if (event % 400 == 0)
                events_per_frame = pick(2) ? 1 : pick(2) ? 2 + pick(60) : 1000;
            const int action = pick(2) ? GLFW_PRESS : GLFW_RELEASE;
            // Buttons -1 and past 4 are none ImGui knows; only those while typing.
            const int button = typing ? -1 : pick(3) ? GLFW_MOUSE_BUTTON_LEFT : pick(10) - 1;
            switch (pick(20)) {
            case 0: case 1: case 2: case 3: case 4: TwEventKeyGLFW(keys[pick(std::size(keys))], action); break;
            case 5: case 6: case 7: TwEventMouseButtonGLFW(button, action); break;
            case 8: case 9: TwMouseMotion(130 + pick(100), 40 + pick(290)); break;  // over the fields
            case 10: TwMouseMotion(pick(300) - 20, pick(400) - 20); break;
            case 11: TwMouseMotion(pick(2) ? -1 : INT_MAX, pick(2) ? -1 : INT_MIN); break;
            case 12: TwMouseWheel(wheel += pick(8) ? pick(7) - 3 : pick(2000) - 1000); break;
            case 13: TwWindowSize(sizes[pick(5)][0], sizes[pick(5)][1]); break;
            default: TwEventCharGLFW(characters[pick(std::size(characters))], GLFW_PRESS); break;
            }
            if (event % events_per_frame == 0)
                for (int frame = pick(20) ? 1 : pick(30); frame > 0; --frame)
                    TwDraw();
        }
        TwTerminate();
        glfwTerminate();

        const std::tuple<const char*, float, float, float> values[] = {
            {"a", params.a, -999, 999},         {"b", params.b, -999, 999},       {"m", params.m, -999, 999},
            {"n1", params.n1, -999, 999},       {"n2", params.n2, -999, 999},     {"n3", params.n3, -999, 999},
            {"radius", params.radius, -999, 999}, {"slices", params.slices, 1, 999}, {"bands", params.bands, 1, 999},
            {"scale", params.scale, 0.01f, 99}, {"xrot", params.xrot, -3600, 3600}, {"yrot", params.yrot, -3600, 3600},
            {"zrot", params.zrot, -3600, 3600}, {"tx", params.tx, -100, 100},     {"ty", params.ty, -100, 100},
            {"tz", params.tz, -100, 100}};
        for (const auto& [name, value, low, high] : values)
            if (!(value >= low && value <= high))
                std::printf("%s = %g ", name, value);
    });
    std::filesystem::remove_all(folder);
    EXPECT_EQ(result.exit_status, 0) << result.standard_error;
    EXPECT_EQ(result.standard_output, "") << "out of range";
}
