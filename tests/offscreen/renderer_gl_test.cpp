// The renderer's refusals, opened with DISPLAY at no display; shapetool's tests judge what it draws.
#include "offscreen/renderer.h"
#include "shape/Tsupershape.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

// Each refused request leaves the image as it was and the renderer usable.
TEST(Offscreen, NeedsNoXServerAndBadRequestsAreRefusedAndLeaveTheImage)
{
    ::setenv("DISPLAY", ":4242", 1);
    offscreen::Renderer renderer;
    const offscreen::Status opened = renderer.open();
    ::unsetenv("DISPLAY");
    ASSERT_TRUE(opened.ok()) << opened.message;

    const Nsupershape::Tsupershape shape;
    const Nsupershape::Mesh_view grid = Nsupershape::view_of(shape);
    std::vector<Nsupershape::Ttriangle> bad_indices(grid.triangles, grid.triangles + grid.triangle_count);
    bad_indices[13].i1 = shape.vertex_count;
    const Nsupershape::Mesh_view broken{grid.positions, grid.vertex_count, bad_indices.data(), grid.triangle_count};
    const offscreen::Model grey{grid, offscreen::Model::Style::wire, {1, 1, 1, 255}};
    const offscreen::Model broken_solid{broken, offscreen::Model::Style::solid, {}};
    const offscreen::Image before{1, 1, {9, 9, 9}};
    offscreen::Image image = before;
    for (const auto& [model, options] : {std::pair{grey, offscreen::Picture_options{9000, 10, 0}},
                                         {grey, {64, 64, std::numeric_limits<float>::quiet_NaN()}},
                                         {broken_solid, {64, 64, 0}}})
        EXPECT_TRUE(!renderer.picture(model, options, image).ok() && image.rgb == before.rgb);
    const auto source = [&](int, offscreen::Gallery_entry& entry) {
        entry = {"b", "", broken_solid};
        return runtime::Status{};
    };
    EXPECT_TRUE(!renderer.gallery(1, source, {}, image).ok() &&
                !renderer.gallery(1, source, {-1, 160, 120, 0}, image).ok());
    const auto refusing = [](int, offscreen::Gallery_entry&) { return runtime::refused("no such entry"); };
    EXPECT_EQ(renderer.gallery(1, refusing, {}, image).message, "no such entry");
    EXPECT_TRUE(image.rgb == before.rgb && renderer.picture(grey, {32, 32, 0}, image).ok()) << "still usable";
    EXPECT_FALSE(offscreen::Renderer().picture(grey, {}, image).ok()) << "not opened";
}
