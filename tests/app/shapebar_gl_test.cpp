// The editor's bar on a real context: its definitions as parsed, and no sequence of events through the panel's
// handlers ending the program or leaving a value out of range.
#include "app/save.h"
#include "app/shapebar.h"
#include "panel/entry.h"
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

using ShapeBarTest = test_support::Gl_test;

// Kind, name, value type, label, range and step, shortcut and alpha as one line; help texts are left out.
std::string described(const panel::Entry& entry)
{
    const panel::Definition& d = entry.definition;
    std::ostringstream text;
    text << "bsv"[static_cast<int>(entry.kind)] << ' ' << entry.name;
    text << (entry.kind == panel::Entry::Kind::value ? " " + std::to_string(entry.type) : "")
         << (d.label ? " '" + *d.label + "'" : "");
    if (d.min && d.max && d.step)
        text << ' ' << *d.min << ".." << *d.max << " step " << *d.step;
    return text.str() + (d.key ? " key=" + std::to_string(*d.key) : "") + (d.alpha ? " alpha" : "");
}

} // namespace

TEST_F(ShapeBarTest, HoldsEachDefinitionAsParsedInOrderBoundToItsFieldOrButton)
{
    ASSERT_EQ(TwInit(TW_OPENGL, nullptr), 1);
    Tparams p;
    TwBar* bar = TwNewBar("Supershape");
    init_shapebar(bar, p);
    const struct {
        const char* text;
        void* variable = nullptr;
        TwButtonCallback callback = nullptr;
    } expected[] = {
        {"b Reset 'Reset Behavior' key=32", nullptr, resetcb}, {"b Save 'Save to file'", nullptr, savecb},
        {"b Quit 'Exit'", nullptr, quitcb}, {"s sep1"}, {"v Auto Edit 4 'Auto Edit'", &p.auto_edit},
        {"v Show Axes 4 'Show Axes'", &p.show_axes}, {"v Auto Rotate 4 'Auto Rotate'", &p.auto_rotate},
        {"v Smooth Lines 4 'Smooth Lines'", &p.smooth_lines}, {"v Color 14 'Shape color' alpha", p.color}, {"s sep2"},
        {"b Swap_xy 'Swap X and Y axes'", nullptr, switch_xycb}, {"b Swap_xz 'Swap X and Z axes'", nullptr, switch_xzcb},
        {"b Swap_yz 'Swap Y and Z axes'", nullptr, switch_yzcb}, {"s sep3"},
        {"v a 12 'a' -999..999 step 0.001", &p.a}, {"v b 12 'b' -999..999 step 0.001", &p.b},
        {"v m 12 'm' -999..999 step 0.001", &p.m}, {"v n1 12 'n1' -999..999 step 0.001", &p.n1},
        {"v n2 12 'n2' -999..999 step 0.001", &p.n2}, {"v n3 12 'n3' -999..999 step 0.001", &p.n3},
        {"v radius 12 'Radius' -999..999 step 0.001", &p.radius}, {"v slices 10 'slices' 1..999 step 1", &p.slices},
        {"v bands 10 'bands' 1..999 step 1", &p.bands}, {"v scale 12 'Scale' 0.01..99 step 0.001", &p.scale},
        {"v xrot 12 'Xrot' -3600..3600 step 1", &p.xrot}, {"v yrot 12 'Yrot' -3600..3600 step 1", &p.yrot},
        {"v zrot 12 'Zrot' -3600..3600 step 1", &p.zrot}, {"v tx 12 'Xtranslate' -100..100 step 0.05", &p.tx},
        {"v ty 12 'Ytranslate' -100..100 step 0.05", &p.ty}, {"v tz 12 'Ztranslate' -100..100 step 0.05", &p.tz}};
    const std::vector<panel::Entry>& entries = panel::entries(*bar);
    ASSERT_EQ(entries.size(), std::size(expected)) << TwGetLastError();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& [text, variable, callback] = expected[i];
        EXPECT_EQ(described(entries[i]), text);
        EXPECT_TRUE(entries[i].variable == variable && entries[i].callback == callback) << text;
        EXPECT_EQ(entries[i].client_data, callback ? &p : nullptr) << text;
    }
    TwTerminate();
}

// Seeded random events, many, one or none a frame, typing or not; in a child with its own context, so that an abort
// fails the test.
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
        TwBar* bar = nullptr;
        for (int event = 0; event < 6000; ++event) {
            // Runs on a fresh bar scrolled to its fields, half of them typing into one.
            if (event % 200 == 0) {
                TwTerminate();
                TwInit(TW_OPENGL, nullptr);
                TwWindowSize(400, 400);
                init_shapebar(bar = TwNewBar("Supershape"), params);
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
        // The ranges the first test checks.
        for (const panel::Entry& entry : panel::entries(*bar))
            if (const panel::Definition& d = entry.definition; d.min) {
                const double value = entry.type == TW_TYPE_INT32 ? *static_cast<std::int32_t*>(entry.variable)
                                                                 : *static_cast<float*>(entry.variable);
                if (!(value >= *d.min && value <= *d.max))
                    std::printf("%s = %g is outside %g..%g ", entry.name.c_str(), value, *d.min, *d.max);
            }
        TwTerminate();
        glfwTerminate();
    });
    std::filesystem::remove_all(folder);
    EXPECT_EQ(result.exit_status, 0) << result.standard_error;
    EXPECT_EQ(result.standard_output, "");
}
