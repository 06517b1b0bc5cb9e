// The frame-rate line of the overlay.
#include "app/frame.h"

#include <gtest/gtest.h>

TEST(FpsText, WholeFramesRoundedDownInPlainDigits)
{
    EXPECT_EQ(fps_text(60.0f), "FPS:60");
    EXPECT_EQ(fps_text(60.9f), "FPS:60");
    EXPECT_EQ(fps_text(0.0f), "FPS:0");
    // No exponent and no grouping for large counts.
    EXPECT_EQ(fps_text(12345678.0f), "FPS:12345678");
}
