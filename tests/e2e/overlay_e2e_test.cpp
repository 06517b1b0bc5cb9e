// The three lines of text over the running editor's scene: the caption, the
// frame rate and the swap history, in white, each at its place.
#include "tests/support/editor_process.h"

#include <gtest/gtest.h>

#include <algorithm>

using test_support::Editor_process;
using test_support::Picture;
using test_support::Rgb;

namespace {

constexpr Rgb white{255, 255, 255};

// Where a line printed at (x, y) of the 640 x 480 view may put pixels: cells
// of 10 pixels, from 10 rows above y to 2 below, with a pixel to spare for
// rounding.
struct Line_box {
    int left, top, right, bottom;
};

constexpr Line_box line_box(int x, int y, int characters)
{
    return {x - 1, y - 12, x + 10 * characters + 1, y + 3};
}

constexpr Line_box caption_box = line_box(450, 20, 7);
// "FPS:" and up to six digits.
constexpr Line_box fps_box = line_box(450, 40, 10);
constexpr Line_box history_box = line_box(20, 420, 11);

int white_in(const Picture& picture, const Line_box& box)
{
    return picture.count_in(white, box.left, box.top, box.right, box.bottom);
}

// The leftmost and rightmost white columns inside `box`.
std::pair<int, int> white_columns(const Picture& picture, const Line_box& box)
{
    int left = box.right, right = box.left - 1;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            if (picture.at(x, y) == white) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return {left, right};
}

bool shows_all_lines(const Picture& picture)
{
    return picture.width == 640 && white_in(picture, caption_box) > 0 && white_in(picture, fps_box) > 0 &&
           white_in(picture, history_box) > 0;
}

} // namespace

TEST(EditorOverlay, ShowsCaptionFrameRateAndHistoryInWhiteAtTheirPlaces)
{
    Editor_process editor(test_support::make_scratch_folder());
    ASSERT_FALSE(editor.window().empty()) << "no window appeared";
    const Picture picture = editor.capture_until(shows_all_lines);
    ASSERT_TRUE(shows_all_lines(picture));

    // Nothing else in the scene is white.
    EXPECT_EQ(picture.count(white),
              white_in(picture, caption_box) + white_in(picture, fps_box) + white_in(picture, history_box));

    // "Morvane": seven cells, the first and last glyphs touching their
    // cells' outer edges.
    const auto [caption_left, caption_right] = white_columns(picture, caption_box);
    EXPECT_NEAR(caption_left, 450, 1);
    EXPECT_EQ(caption_right - caption_left + 1, 10 * 7 - 2);
    // "FPS:" and at least one digit.
    const auto [fps_left, fps_right] = white_columns(picture, fps_box);
    EXPECT_NEAR(fps_left, 450, 1);
    EXPECT_GE(fps_right - fps_left + 1, 10 * 4 + 6);
    // "rotations: ", the trailing blank drawing nothing.
    const auto [history_left, history_right] = white_columns(picture, history_box);
    EXPECT_NEAR(history_left, 20, 1);
    EXPECT_LT(history_right, 20 + 10 * 10);

    editor.key("Escape");
    EXPECT_EQ(editor.wait_for_exit(), 0);
}
