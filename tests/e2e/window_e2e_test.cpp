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
    EXPECT_EQ(editor.window_size(), std::make_pair(640, 480));

    const Picture picture = editor.capture_until(shows_scene);
    ASSERT_TRUE(shows_scene(picture));

    // The shape sits right of the window's centre, between the axes' ends.
    const Picture::Box shape = picture.bounds(shape_yellow);
    EXPECT_GT((shape.left + shape.right) / 2, 340);
    EXPECT_LT(shape.right - shape.left, 320);
    // The axes cross the picture: red and blue along x, green from top to bottom.
    const Picture::Box x_axis = picture.bounds(red);
    EXPECT_LE(x_axis.left, 5);
    EXPECT_GT(picture.count(blue), 50);
    const Picture::Box y_axis = picture.bounds(green);
    EXPECT_LE(y_axis.top, 5);
    EXPECT_GE(y_axis.bottom, 474);
    // The rest is the black background.
    EXPECT_GT(picture.count(black), 640 * 480 * 9 / 10);
    EXPECT_TRUE(picture.at(0, 0) == black && picture.at(639, 479) == black);

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
