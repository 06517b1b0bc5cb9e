// The framing's degenerate cases, on point sets whose answers are known by symmetry.
#include "scene/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

using Nsupershape::Tvector3;

TEST(Framing, OnlyFinitePositionsCountAndDegenerateSetsKeepZoomOne)
{
    const Tvector3 box[] = {{-1, -2, -3}, {NAN, 0, 0}, {3, 2, 1}, {INFINITY, INFINITY, INFINITY}};
    const scene::Framing framed = scene::fit_to_view(box, 4, 640, 480);
    EXPECT_EQ(std::vector<float>(framed.centre, framed.centre + 3), (std::vector<float>{1, 0, -1}));
    // 0.95 of the sphere seen from sqrt(10) away through the narrower half angle, over the box's radius sqrt(12): 20
    // degrees for views wider than high, atan(tan 20 * 3/4) for a portrait one.
    for (const auto& [width, height, zoom] :
         {std::tuple(640, 480, 0.2966092f), {1280, 480, 0.2966092f}, {480, 640, 0.2283776f}})
        EXPECT_FLOAT_EQ(scene::fit_to_view(box, 4, width, height).zoom, zoom) << width << " x " << height;

    const Tvector3 point[] = {{2, 3, 4}, {2, 3, 4}, {NAN, NAN, NAN}};
    const scene::Framing single = scene::fit_to_view(point, 3, 640, 480),
                         none = scene::fit_to_view(point + 2, 1, 640, 480);
    EXPECT_EQ(std::tuple(single.zoom, single.centre[2], none.zoom, none.centre[0]), std::tuple(1, 4, 1, 0));
}

// A morph between two shapes of radius 1 whose halfway frame reaches to 4: the frames on the shapes keep their own
// framing, and between them the view zooms out to hold the large one and back at one even rate, twice a frame.
TEST(Framing, AMorphZoomsOutForALargerBlendAndBackAtAnEvenRate)
{
    const scene::Reach unit{true, {-1, -1, -1}, {1, 1, 1}, 1}, large{true, {-4, -4, -4}, {4, 4, 4}, 4};
    const scene::Framing own = scene::fit_to_view(unit, 640, 480), shapes[] = {own, own};
    const scene::Morph_frame frames[] = {
        {0, 1, 0, {}}, {0, 1, 0.15625, unit}, {0, 1, 0.5, large}, {0, 1, 0.84375, unit}, {0, 1, 1, {}}};
    const std::vector<scene::Framing> framed = scene::morph_framings(shapes, frames, 5, 640, 480);
    const float wanted[] = {1, 0.5f, 0.25f, 0.5f, 1};
    for (int k = 0; k < 5; ++k)
        EXPECT_NEAR(framed[k].zoom / own.zoom, wanted[k], 1e-6) << k;
}
