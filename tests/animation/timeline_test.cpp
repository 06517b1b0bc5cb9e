// Where frames stand, the blended shape and when frames start, against values worked out by hand.
#include "animation/timeline.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Timeline, TurntablesCloseTheirLoopAndMorphsShareTimeEvenlyEasingEachLeg)
{
    EXPECT_EQ(animation::plan_frame(15, 60, 1, false, 0).turn, 90.0) << "frame 60 would be frame 0 again";
    struct Expected {
        std::size_t from, to;
        double blend, turn;
    };
    // Three shapes in 5 frames: two legs over t = 0, 1/4 ... 1, turning 90 degrees a leg. Looping, 6 frames: a
    // third leg back to the first over t = 0, 1/6 ... 5/6, the seventh frame the first again.
    const std::vector<Expected> open{{0, 1, 0, 0}, {0, 1, 0.5, 45}, {1, 2, 0, 90}, {1, 2, 0.5, 135}, {1, 2, 1, 180}};
    const std::vector<Expected> looped{{0, 1, 0, 0},     {0, 1, 0.5, 60}, {1, 2, 0, 120},
                                       {1, 2, 0.5, 180}, {2, 0, 0, 240},  {2, 0, 0.5, 300}};
    for (const bool loop : {false, true}) {
        const std::vector<Expected>& expected = loop ? looped : open;
        for (std::size_t k = 0; k < expected.size(); ++k) {
            SCOPED_TRACE(testing::Message() << "frame " << k << (loop ? " looped" : ""));
            const auto plan = animation::plan_frame(int(k), int(expected.size()), 3, loop, loop ? 120 : 90);
            EXPECT_EQ(std::pair(plan.from, plan.to), std::pair(expected[k].from, expected[k].to));
            EXPECT_NEAR(plan.blend, expected[k].blend, 1e-12);
            EXPECT_NEAR(plan.turn, expected[k].turn, 1e-9);
        }
    }
    // A quarter into a leg is eased to 5/32 of it; a single frame is the first shape.
    EXPECT_DOUBLE_EQ(animation::plan_frame(1, 9, 3, false, 0).blend, 5.0 / 32);
    EXPECT_EQ(animation::plan_frame(0, 1, 2, true, 0).blend, 0.0);
    // A loop's turn closes in whole circles, to a twentieth of a degree.
    EXPECT_EQ(std::vector<bool>({animation::loop_closes(3, 120.01), animation::loop_closes(3, -240),
                                 animation::loop_closes(3, 90), animation::loop_closes(7, 51.4)}),
              (std::vector<bool>{true, true, false, false}));
}

TEST(Timeline, BlendsBothSetsColourAndCountsWithDivisorsAndN1ThroughTheirReciprocals)
{
    Tparams from, to;
    set_start_values(from);
    from.a = 1, from.n1 = -1, from.m = 2, from.slices = 10, from.color[0] = 0;
    to = from;
    to.a = 0.25f, to.n1 = 0.4f, to.m = 6, to.slices = 13, to.color[0] = 255;
    to.sets_linked = 0, to.a2 = 0.25f, to.m2 = 4, to.n1_2 = 0.4f;
    const Tparams half = animation::blend(from, to, 0.5);
    // 1/a from 1 to 4, 1/n1 from -1 to 2.5 (n1 through infinity, never 0); the one-set shape's second set is its first.
    EXPECT_EQ(std::tuple(half.a, half.n1, half.m, half.a2, half.m2, half.n1_2, half.sets_linked),
              std::tuple(0.4f, float(1 / 0.75), 4, 0.4f, 3, float(1 / 0.75), 0));
    EXPECT_EQ(std::pair(half.slices, int(half.color[0])), std::pair(12, 128)) << "rounded half up";
    EXPECT_NE(animation::blend(from, from, 0.5).sets_linked, 0) << "two one-set shapes blend into one";
}

TEST(Timeline, FramesStartOnTheNearestTickSoThatDelaysKeepThePace)
{
    // A GIF's hundredths at 30 frames a second: tests/tool/animate_test.cpp.
    EXPECT_EQ(std::vector<int>({animation::frame_start(1, 30, 1000), animation::frame_start(2, 30, 1000),
                                animation::frame_start(9999, 1, 1000)}),
              (std::vector<int>{33, 67, 9999000}));
}
