// The renderer opened with DISPLAY at no display, and refusals that leave the image; shapetool's tests judge what it
// draws.
#include "offscreen/renderer.h"
#include "shape/Tsupershape.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(Offscreen, NeedsNoXServerAndARefusalLeavesTheImageAndTheRendererUsable)
{
    ::setenv("DISPLAY", ":4242", 1);
    offscreen::Renderer renderer;
    const offscreen::Status opened = renderer.open();
    ::unsetenv("DISPLAY");
    ASSERT_TRUE(opened.ok()) << opened.message;

    const Nsupershape::Tsupershape shape;
    std::vector<Nsupershape::Ttriangle> bad_indices(shape.triangles.get(),
                                                    shape.triangles.get() + shape.triangle_count);
    bad_indices[13].i1 = shape.vertex_count;
    const offscreen::Model grey{Nsupershape::view_of(shape), offscreen::Model::Style::wire, {1, 1, 1, 255}};
    offscreen::Model broken = grey;
    broken.mesh.triangles = bad_indices.data();
    const offscreen::Image before{1, 1, {9, 9, 9}, {}};
    offscreen::Image image = before;
    EXPECT_EQ(std::pair(renderer.picture(grey, {9000, 10, 0}, image).ok(), renderer.picture(broken, {}, image).ok()),
              std::pair(false, false));
    const auto refusing = [](int, offscreen::Gallery_entry&) { return runtime::refused("no such entry"); };
    EXPECT_EQ(renderer.gallery(1, refusing, {}, image).message, "no such entry");
    EXPECT_EQ(image.rgb, before.rgb);
    EXPECT_EQ(renderer.picture(grey, {32, 32, 0}, image).message, "") << "still usable";
    EXPECT_FALSE(offscreen::Renderer().picture(grey, {}, image).ok()) << "not opened";
}
