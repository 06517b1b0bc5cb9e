// The control panel and Save as a user meets them, clicking and typing into
// the running editor.
#include "app/Tparams.h"
#include "snippet/snippet.h"
#include "tests/support/editor_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

using test_support::Editor_process;
using test_support::Picture;
using test_support::Rgb;

namespace {

constexpr Rgb shape_yellow{255, 255, 64};
constexpr Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255};
// ImGui's tick in a check box.
constexpr Rgb check_mark{66, 150, 250};

// Where the bar's entries are, in window pixels: rows of the bar as it opens
// at the top-left, and of the bar scrolled to its end.
struct Point {
    int x, y;
};
constexpr Point save_button{120, 75}, exit_button{120, 98};
constexpr Point auto_edit_box{133, 126}, show_axes_box{133, 149};
constexpr Point red_channel{40, 235};
constexpr Point swap_xy_button{120, 262};
constexpr Point bar_middle{120, 200};
constexpr Point n1_field_scrolled{150, 43}, slices_field_scrolled{150, 135}, bands_field_scrolled{150, 158};

int ticks_in_box(const Picture& picture, Point box)
{
    return picture.count_in(check_mark, box.x - 10, box.y - 10, box.x + 10, box.y + 10);
}

bool shows_scene(const Picture& picture)
{
    return picture.count(shape_yellow) > 100 && picture.count(red) > 100;
}

class PanelE2E : public ::testing::Test {
protected:
    std::string folder = test_support::make_scratch_folder();
    Editor_process editor{folder};

    void SetUp() override
    {
        ASSERT_FALSE(editor.window().empty()) << "no window appeared";
        ASSERT_TRUE(shows_scene(editor.capture_until(shows_scene)));
    }
    void TearDown() override
    {
        if (!editor.wait_for_exit(0)) {
            editor.key("Escape");
            editor.wait_for_exit();
        }
        std::filesystem::remove_all(folder);
    }

    void type_into(Point field, const std::string& text)
    {
        editor.click(field.x, field.y);
        editor.type(text);
        editor.key("Return");
    }
};

std::string read_file(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The saved snippets, oldest name first, once at least `count` are there.
std::vector<std::filesystem::path> saved_files(const std::string& folder, std::size_t count)
{
    std::vector<std::filesystem::path> files;
    for (int attempt = 0; attempt < 100 && files.size() < count; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        files.clear();
        for (const auto& entry : std::filesystem::directory_iterator(folder + "/shapes"))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST_F(PanelE2E, ExitEndsWithStatus0)
{
    editor.click(exit_button.x, exit_button.y);
    EXPECT_EQ(editor.wait_for_exit(), 0);
}

TEST_F(PanelE2E, ASwapClearsAutoEdit)
{
    EXPECT_GT(ticks_in_box(editor.capture(), auto_edit_box), 5);
    editor.click(swap_xy_button.x, swap_xy_button.y);
    const Picture picture = editor.capture_until([](const Picture& p) { return ticks_in_box(p, auto_edit_box) == 0; });
    EXPECT_EQ(ticks_in_box(picture, auto_edit_box), 0);
    EXPECT_GT(ticks_in_box(picture, show_axes_box), 5);
}

TEST_F(PanelE2E, UntickingShowAxesRemovesTheAxes)
{
    editor.click(show_axes_box.x, show_axes_box.y);
    const auto no_axes = [](const Picture& p) { return p.count(red) + p.count(green) + p.count(blue) == 0; };
    const Picture picture = editor.capture_until(no_axes);
    EXPECT_TRUE(no_axes(picture));
    EXPECT_GT(picture.count(shape_yellow), 100);
}

TEST_F(PanelE2E, HelpShowsUnderThePointerAndGoesWhenItLeavesTheWindow)
{
    // The colour entry's help text opens over the red axis beside the panel.
    const auto axis_hidden = [](const Picture& p) { return p.count_in(red, 240, 236, 320, 244) == 0; };
    editor.point_at(red_channel.x, red_channel.y);
    EXPECT_TRUE(axis_hidden(editor.capture_until(axis_hidden)));
    Editor_process::point_away();
    EXPECT_FALSE(axis_hidden(editor.capture_until([&](const Picture& p) { return !axis_hidden(p); })));
}

TEST_F(PanelE2E, ATypedColourRecoloursTheShape)
{
    editor.click(red_channel.x, red_channel.y, 2);
    editor.type("0");
    editor.key("Return");
    constexpr Rgb new_colour{0, 255, 64};
    const Picture picture = editor.capture_until([&](const Picture& p) { return p.count(new_colour) > 100; });
    EXPECT_GT(picture.count(new_colour), 100);
    EXPECT_EQ(picture.count(shape_yellow), 0);
}

// Frames of the largest grid are slow enough for a quick tap's press and
// release to arrive together, Ctrl's too.
TEST_F(PanelE2E, SlowFramesKeepSpaceResetCtrlAInAFieldAndEsc)
{
    const int default_mesh = editor.capture().count(shape_yellow);
    editor.scroll_down(bar_middle.x, bar_middle.y, 20);
    type_into(slices_field_scrolled, "999");
    type_into(bands_field_scrolled, "999");

    editor.click(n1_field_scrolled.x, n1_field_scrolled.y);
    editor.key("space");
    editor.key("Return");
    EXPECT_LT(editor.capture().count(shape_yellow), default_mesh * 6 / 5) << "a blank typed into a field reset the shape";

    editor.key("space");
    const auto denser = [&](const Picture& p) { return p.count(shape_yellow) > default_mesh * 3 / 2; };
    const Picture picture = editor.capture_until(denser);
    EXPECT_TRUE(denser(picture)) << picture.count(shape_yellow) << " lit pixels against " << default_mesh;

    // Ctrl+A selects the text typed so far, so that "2" replaces it.
    std::filesystem::create_directory(folder + "/shapes");
    editor.click(n1_field_scrolled.x, n1_field_scrolled.y);
    editor.type("7");
    editor.key("ctrl+a");
    editor.type("2");
    editor.key("Return");
    editor.scroll_down(bar_middle.x, bar_middle.y, -20);
    editor.click(save_button.x, save_button.y);
    const auto files = saved_files(folder, 1);
    ASSERT_EQ(files.size(), 1u) << editor.standard_error();
    Tparams expected;
    set_start_values(expected);
    expected.slices = expected.bands = 999;
    expected.n1 = 2;
    EXPECT_EQ(read_file(files[0]), snippet::text(expected));

    editor.key("Escape");
    EXPECT_EQ(editor.wait_for_exit(), 0);
}

TEST_F(PanelE2E, SaveWritesTheParametersAtOnce)
{
    std::filesystem::create_directory(folder + "/shapes");
    editor.click(save_button.x, save_button.y);
    const auto files = saved_files(folder, 1);
    ASSERT_EQ(files.size(), 1u);
    Tparams expected;
    set_start_values(expected);
    EXPECT_EQ(read_file(files[0]), snippet::text(expected));
    EXPECT_EQ(files[0].filename().string().rfind("shape_", 0), 0u);

    // A swap, then a second save: the newest file holds the new history,
    // replacing the first when both fall within one second.
    editor.click(swap_xy_button.x, swap_xy_button.y);
    editor.click(save_button.x, save_button.y);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto after = saved_files(folder, 1);
    expected.rot_str += " xy";
    expected.auto_edit = 0;
    EXPECT_EQ(read_file(after.back()), snippet::text(expected));
}

TEST_F(PanelE2E, SaveWithoutAShapesFolderEndsWithError2)
{
    editor.click(save_button.x, save_button.y);
    EXPECT_EQ(editor.wait_for_exit(), 2);
    EXPECT_EQ(editor.standard_error(), "\r\nAborting due to runtime error 2 (file not found) in SUPERSHAPE::SAVE_ME()\r\n\r\n");
}
