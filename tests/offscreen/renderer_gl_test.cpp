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
    const auto wire = offscreen::Model::Style::wire, solid = offscreen::Model::Style::solid;
    const std::pair<offscreen::Model, offscreen::Picture_options> pictures[] = {
        {grey, {0, 480, 0}},
        {grey, {9000, 10, 0}},
        {grey, {640, 480, std::numeric_limits<float>::quiet_NaN()}},
        {{broken, wire, {}}, {64, 64, 0}},
        {{broken, solid, {}}, {64, 64, 0}},
        {{{nullptr, 3, nullptr, 1}, solid, {}}, {64, 64, 0}}};
    const offscreen::Image before{1, 1, {9, 9, 9}};
    offscreen::Image image;
    for (const auto& [model, options] : pictures) {
        image = before;
        EXPECT_TRUE(!renderer.picture(model, options, image).ok() && image.rgb == before.rgb);
    }
    const std::vector<offscreen::Gallery_entry> one = {{"a", "", grey}};
    const std::pair<std::vector<offscreen::Gallery_entry>, offscreen::Gallery_options> sheets[] = {
        {{}, {}},
        {one, {-1, 160, 120, 0}},
        {one, {0, 8, 8, 0}},
        {{200, one[0]}, {200, 2048, 64, 0}},
        {{{"b", "", {broken, solid, {}}}}, {}}};
    for (const auto& [entries, options] : sheets) {
        image = before;
        const auto source = [&](int index, offscreen::Gallery_entry& entry) {
            entry = entries.at(std::size_t(index));
            return runtime::Status{};
        };
        EXPECT_TRUE(!renderer.gallery(int(entries.size()), source, options, image).ok() && image.rgb == before.rgb);
    }
    const auto refusing = [](int, offscreen::Gallery_entry&) { return runtime::refused("no such entry"); };
    EXPECT_EQ(renderer.gallery(1, refusing, {}, image).message, "no such entry");
    EXPECT_TRUE(renderer.picture(grey, {32, 32, 0}, image).ok()) << "still usable";
    EXPECT_FALSE(offscreen::Renderer().picture(grey, {}, image).ok()) << "not opened";
}
