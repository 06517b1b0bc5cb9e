// The framing's degenerate cases, on point sets whose answers are known by symmetry.
#include "scene/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using Nsupershape::Tvector3;

TEST(Framing, OnlyFinitePositionsCountAndDegenerateSetsKeepZoomOne)
{
    const Tvector3 box[] = {{-1, -2, -3}, {NAN, 0, 0}, {3, 2, 1}, {INFINITY, INFINITY, INFINITY}};
    const scene::Framing framed = scene::fit_to_view(box, 4, 640, 480);
    EXPECT_EQ(std::vector<float>(framed.centre, framed.centre + 3), (std::vector<float>{1, 0, -1}));
    // A wider view fits the same sphere by its height alone.
    EXPECT_FLOAT_EQ(scene::fit_to_view(box, 4, 1280, 480).zoom, framed.zoom);
    EXPECT_LT(scene::fit_to_view(box, 4, 480, 640).zoom, framed.zoom);

    const Tvector3 point[] = {{2, 3, 4}, {2, 3, 4}, {NAN, NAN, NAN}};
    const scene::Framing single = scene::fit_to_view(point, 3, 640, 480),
                         none = scene::fit_to_view(point + 2, 1, 640, 480);
    EXPECT_TRUE(single.zoom == 1 && single.centre[2] == 4 && none.zoom == 1 && none.centre[0] == 0);
}
