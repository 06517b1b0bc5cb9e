// The editor's window as a user meets it: its title, size and first picture,
// and the ways to end it.
#include "tests/support/editor_process.h"

#include <gtest/gtest.h>

using test_support::Editor_process;
using test_support::Picture;
using test_support::Rgb;

namespace {

constexpr Rgb shape_yellow{255, 255, 64};
constexpr Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, black{0, 0, 0};

bool shows_scene(const Picture& picture)
{
    return picture.width == 640 && picture.count(shape_yellow) > 100 && picture.count(red) > 100;
}

} // namespace

TEST(EditorWindow, ShowsTheDefaultShapeOverTheAxesAndEndsOnEscape)
{
    Editor_process editor(test_support::make_scratch_folder());
    ASSERT_FALSE(editor.window().empty()) << "no window appeared";
    const std::string title = editor.window_title();
    EXPECT_EQ(title.rfind("Morvane by Tarnock (", 0), 0u) << title;
    EXPECT_EQ(title.back(), ')') << title;
    const Picture picture = editor.capture_until(shows_scene);
    ASSERT_TRUE(shows_scene(picture));
    EXPECT_TRUE(picture.width == 640 && picture.height == 480);

    // Right of the panel (which ends at x = 236 and shows the colour too),
    // the shape sits right of the window's centre, the axes cross the
    // picture, and the rest is the black background.
    constexpr int panel_right = 240;
    EXPECT_EQ(picture.count_in(shape_yellow, panel_right, 0, 320, 480), 0);
    EXPECT_GT(picture.count_in(shape_yellow, 320, 0, 640, 480), 100);
    EXPECT_GT(picture.count_in(green, 0, 0, 640, 5), 0);
    EXPECT_GT(picture.count_in(green, 0, 475, 640, 480), 0);
    EXPECT_GT(picture.count_in(red, panel_right, 0, 320, 480), 50);
    EXPECT_GT(picture.count(blue), 50);
    EXPECT_GT(picture.count_in(black, panel_right, 0, 640, 480), (640 - panel_right) * 480 * 9 / 10);
    EXPECT_TRUE(picture.at(639, 0) == black && picture.at(639, 479) == black);

    editor.key("Escape");
    EXPECT_EQ(editor.wait_for_exit(), 0);
    EXPECT_EQ(editor.standard_output(), "");
    EXPECT_EQ(editor.standard_error(), "");
}

TEST(EditorWindow, ClosingTheWindowEndsWithStatus0)
{
    Editor_process editor(test_support::make_scratch_folder());
    ASSERT_FALSE(editor.window().empty()) << "no window appeared";
    editor.capture_until(shows_scene);
    editor.request_close();
    EXPECT_EQ(editor.wait_for_exit(), 0);
}

TEST(EditorWindow, WithoutADisplayItSaysSoAndEndsWithStatus0)
{
    Editor_process editor(test_support::make_scratch_folder(), {"DISPLAY"});
    EXPECT_EQ(editor.wait_for_exit(), 0);
    EXPECT_EQ(editor.standard_output(), "Failed to initialize GLFW!\n");
}
