// The editor's bar on a real context: its definitions as parsed, its ranges against the saved fields, and no
// sequence of events through the panel's handlers ending the program or leaving a value out of range.
#include "app/save.h"
#include "app/shapebar.h"
#include "panel/entry.h"
#include "params/fields.h"
#include "tests/support/child_process.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <tuple>

namespace {

class ShapeBarTest : public test_support::Gl_test {
protected:
    void SetUp() override
    {
        Gl_test::SetUp();
        ASSERT_EQ(TwInit(TW_OPENGL, nullptr), 1);
    }
    void TearDown() override
    {
        TwTerminate();
        Gl_test::TearDown();
    }
};

// Kind, name, value type and what the definition gave, as one line.
std::string described(const panel::Entry& entry)
{
    const panel::Definition& d = entry.definition;
    std::ostringstream text;
    text << "bsv"[static_cast<int>(entry.kind)] << ' ' << entry.name;
    if (entry.kind == panel::Entry::Kind::value)
        text << " type=" << entry.type;
    if (d.label)
        text << " label='" << *d.label << "'";
    if (d.help)
        text << " help='" << *d.help << "'";
    if (d.min && d.max)
        text << " range=" << *d.min << ".." << *d.max;
    if (d.step)
        text << " step=" << *d.step << " decimals=" << d.step_decimals;
    if (d.key)
        text << " key=" << *d.key;
    return text.str() + (d.alpha ? " alpha" : "");
}

} // namespace

TEST_F(ShapeBarTest, HoldsEachDefinitionAsParsedInOrderBoundToItsFieldWithTheSavedFieldsRanges)
{
    Tparams p;
    TwBar* bar = TwNewBar("Supershape");
    init_shapebar(bar, p);
    const std::tuple<const char*, void*, TwButtonCallback> expected[] = {
        {"b Reset label='Reset Behavior' key=32", nullptr, resetcb},
        {"b Save label='Save to file'", nullptr, savecb},
        {"b Quit label='Exit'", nullptr, quitcb},
        {"s sep1", nullptr, nullptr},
        {"v Auto Edit type=4 label='Auto Edit' help='Enable to realtime Edit the shape. '", &p.auto_edit, nullptr},
        {"v Show Axes type=4 label='Show Axes' help='Show Axes?. '", &p.show_axes, nullptr},
        {"v Auto Rotate type=4 label='Auto Rotate' help='Enable auto rotation. '", &p.auto_rotate, nullptr},
        {"v Smooth Lines type=4 label='Smooth Lines' help='Enable line smoothing. '", &p.smooth_lines, nullptr},
        {"v Color type=14 label='Shape color' help='Color and transparency of the shape.' alpha", p.color, nullptr},
        {"s sep2", nullptr, nullptr},
        {"b Swap_xy label='Swap X and Y axes'", nullptr, switch_xycb},
        {"b Swap_xz label='Swap X and Z axes'", nullptr, switch_xzcb},
        {"b Swap_yz label='Swap Y and Z axes'", nullptr, switch_yzcb},
        {"s sep3", nullptr, nullptr},
        {"v a type=12 label='a' help=' a param' range=-999..999 step=0.001 decimals=3", &p.a, nullptr},
        {"v b type=12 label='b' help=' b param' range=-999..999 step=0.001 decimals=3", &p.b, nullptr},
        {"v m type=12 label='m' help=' m param' range=-999..999 step=0.001 decimals=3", &p.m, nullptr},
        {"v n1 type=12 label='n1' help=' n1 param' range=-999..999 step=0.001 decimals=3", &p.n1, nullptr},
        {"v n2 type=12 label='n2' help=' n2 param' range=-999..999 step=0.001 decimals=3", &p.n2, nullptr},
        {"v n3 type=12 label='n3' help=' n3 param' range=-999..999 step=0.001 decimals=3", &p.n3, nullptr},
        {"v radius type=12 label='Radius' help=' radius param' range=-999..999 step=0.001 decimals=3", &p.radius,
         nullptr},
        {"v slices type=10 label='slices' help=' slices param' range=1..999 step=1 decimals=0", &p.slices, nullptr},
        {"v bands type=10 label='bands' help=' bands param' range=1..999 step=1 decimals=0", &p.bands, nullptr},
        {"v scale type=12 label='Scale' help=' scale factor' range=0.01..99 step=0.001 decimals=3", &p.scale, nullptr},
        {"v xrot type=12 label='Xrot' help=' x axis rotation' range=-3600..3600 step=1 decimals=0", &p.xrot, nullptr},
        {"v yrot type=12 label='Yrot' help=' y axis rotation' range=-3600..3600 step=1 decimals=0", &p.yrot, nullptr},
        {"v zrot type=12 label='Zrot' help=' z axis rotation' range=-3600..3600 step=1 decimals=0", &p.zrot, nullptr},
        {"v tx type=12 label='Xtranslate' help=' x translation' range=-100..100 step=0.05 decimals=2", &p.tx, nullptr},
        {"v ty type=12 label='Ytranslate' help=' y translation' range=-100..100 step=0.05 decimals=2", &p.ty, nullptr},
        {"v tz type=12 label='Ztranslate' help=' z translation' range=-100..100 step=0.05 decimals=2", &p.tz, nullptr},
    };
    const std::vector<panel::Entry>& entries = panel::entries(*bar);
    ASSERT_EQ(entries.size(), std::size(expected)) << TwGetLastError();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& [text, variable, callback] = expected[i];
        EXPECT_EQ(described(entries[i]), text);
        EXPECT_TRUE(entries[i].variable == variable && entries[i].callback == callback) << text;
        EXPECT_EQ(entries[i].client_data, callback ? &p : nullptr) << text;
    }
    // The snippet, the flags and the mesh files take their limits from the saved fields; the panel agrees.
    int ranged = 0;
    for (const record::Field& field : record::saved_fields)
        for (const panel::Entry& entry : entries)
            if (entry.name == field.name && (field.kind == record::Kind::number || field.kind == record::Kind::count)) {
                EXPECT_TRUE(entry.definition.min == field.min && entry.definition.max == field.max) << field.name;
                ++ranged;
            }
    EXPECT_EQ(ranged, 10);
}

// Seeded random events, one or many per frame or none for runs of frames, typing into a field or not. In a
// child, so that an abort fails the test, with a context of its own, as GL threads do not survive a fork.
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
        // Keys ImGui reads, the modifiers on both sides, and codes that are no key.
        const int keys[] = {GLFW_KEY_TAB, GLFW_KEY_LEFT, GLFW_KEY_BACKSPACE, GLFW_KEY_SPACE, GLFW_KEY_ENTER,
                            GLFW_KEY_KP_ENTER, GLFW_KEY_A, GLFW_KEY_V, GLFW_KEY_ESCAPE, GLFW_KEY_LEFT_CONTROL,
                            GLFW_KEY_RIGHT_CONTROL, GLFW_KEY_LEFT_SHIFT, GLFW_KEY_RIGHT_SHIFT, GLFW_KEY_LEFT_ALT,
                            GLFW_KEY_RIGHT_ALT, GLFW_KEY_LEFT_SUPER, GLFW_KEY_RIGHT_SUPER, -1, 600, INT_MIN, INT_MAX};
        const int characters[] = {'0', '7', '.', '-', 'e', ' ', 0xE9, 0x1F600, 0xD800, 0x110000, -5, 0};
        const int buttons[] = {-1, 1, 2, 5, 8, INT_MIN, INT_MAX}, sizes[] = {0, 1, 120, 400, INT_MAX};
        std::mt19937 random(2);
        const auto pick = [&](int count) { return static_cast<int>(random() % static_cast<unsigned>(count)); };
        int wheel = 0, events_per_frame = 1;
        bool typing = false;
        for (int event = 0; event < 6000; ++event) {
            // Runs on a fresh bar scrolled to its fields, half of them typing into one.
            if (event % 200 == 0) {
                TwTerminate();
                TwInit(TW_OPENGL, nullptr);
                TwWindowSize(400, 400);
                init_shapebar(TwNewBar("Supershape"), params);
                TwMouseMotion(120, 200);
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
            // Only buttons ImGui does not know while typing, as others end that.
            const int button = typing ? -1 : pick(3) ? GLFW_MOUSE_BUTTON_LEFT : buttons[pick(std::size(buttons))];
            switch (pick(20)) {
            case 0: case 1: case 2: case 3: case 4: TwEventKeyGLFW(keys[pick(std::size(keys))], action); break;
            case 5: case 6: case 7: TwEventMouseButtonGLFW(button, action); break;
            case 8: case 9: TwMouseMotion(130 + pick(100), 40 + pick(290)); break;  // over the fields
            case 10: TwMouseMotion(pick(2) ? pick(300) - 20 : INT_MAX, pick(2) ? pick(400) - 20 : INT_MIN); break;
            case 11: TwMouseWheel(pick(8) ? (wheel += pick(7) - 3) : pick(2) ? INT_MAX : INT_MIN); break;
            case 12: TwWindowSize(sizes[pick(5)], sizes[pick(5)]); break;
            default: TwEventCharGLFW(characters[pick(std::size(characters))], GLFW_PRESS); break;
            }
            if (event % events_per_frame == 0)
                for (int frame = pick(20) ? 1 : pick(30); frame > 0; --frame)
                    TwDraw();
        }
        TwTerminate();
        glfwTerminate();
        const float ranges[][3] = {
            {params.a, -999, 999}, {params.b, -999, 999}, {params.m, -999, 999}, {params.n1, -999, 999},
            {params.n2, -999, 999}, {params.n3, -999, 999}, {params.radius, -999, 999}, {float(params.slices), 1, 999},
            {float(params.bands), 1, 999}, {params.scale, 0.01f, 99}, {params.xrot, -3600, 3600},
            {params.yrot, -3600, 3600}, {params.zrot, -3600, 3600}, {params.tx, -100, 100}, {params.ty, -100, 100},
            {params.tz, -100, 100}};
        for (const auto& [value, low, high] : ranges)
            if (!(value >= low && value <= high))
                std::printf("%g is outside %g..%g ", value, low, high);
    });
    std::filesystem::remove_all(folder);
    EXPECT_EQ(result.exit_status, 0) << result.standard_error;
    EXPECT_EQ(result.standard_output, "");
}
