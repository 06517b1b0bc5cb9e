// The three lines of text over the running editor's scene: the caption, the
// frame rate and the swap history, in white, each at its place.
#include "tests/support/editor_process.h"

#include <gtest/gtest.h>

#include <algorithm>

using test_support::Picture;

namespace {

constexpr test_support::Rgb white{255, 255, 255};

// Where a line printed at (x, y) of the 640 x 480 view may put pixels: cells
// of 10 pixels, from 10 rows above y to 2 below, a pixel to spare around.
struct Line_box {
    int left, top, right, bottom;
};

constexpr Line_box line_box(int x, int y, int characters)
{
    return {x - 1, y - 12, x + 10 * characters + 1, y + 3};
}

// "FPS:" with up to six digits; "rotations: " before any swap.
constexpr Line_box caption = line_box(450, 20, 7);
constexpr Line_box fps = line_box(450, 40, 10);
constexpr Line_box history = line_box(20, 420, 11);
constexpr Line_box history_after_a_swap = line_box(20, 420, 14);
// The control panel, with white text of its own, and its swap button.
constexpr Line_box panel{0, 0, 240, 340};
constexpr int swap_xy_x = 120, swap_xy_y = 262;

int white_in(const Picture& picture, const Line_box& box)
{
    return picture.count_in(white, box.left, box.top, box.right, box.bottom);
}

bool shows_all_lines(const Picture& picture)
{
    return picture.width == 640 && white_in(picture, caption) > 0 && white_in(picture, fps) > 0 &&
           white_in(picture, history) > 0;
}

} // namespace

TEST(EditorOverlay, ShowsCaptionFrameRateAndHistoryInWhiteAtTheirPlaces)
{
    test_support::Editor_process editor(test_support::make_scratch_folder());
    ASSERT_FALSE(editor.window().empty()) << "no window appeared";
    const Picture picture = editor.capture_until(shows_all_lines);
    ASSERT_TRUE(shows_all_lines(picture));
    // Nothing else in the scene is white.
    EXPECT_EQ(picture.count(white) - white_in(picture, panel),
              white_in(picture, caption) + white_in(picture, fps) + white_in(picture, history));

    // "Morvane" starts at x = 450 and, its first and last glyphs touching
    // their cells' outer edges, spans seven cells less the last spacing.
    int left = caption.right, right = -1;
    for (int y = caption.top; y < caption.bottom; ++y)
        for (int x = caption.left; x < caption.right; ++x)
            if (picture.at(x, y) == white) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_NEAR(left, 450, 1);
    EXPECT_EQ(right - left + 1, 10 * 7 - 2);

    // A swap adds " xy" to the history line.
    const int history_before = white_in(picture, history_after_a_swap);
    editor.click(swap_xy_x, swap_xy_y);
    const auto grown = [&](const Picture& p) { return white_in(p, history_after_a_swap) > history_before; };
    EXPECT_TRUE(grown(editor.capture_until(grown)));

    editor.key("Escape");
    EXPECT_EQ(editor.wait_for_exit(), 0);
}
