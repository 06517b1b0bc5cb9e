// Drawing the supershape on a real context, compared with the strip the
// test sends corner by corner itself.
#include "shape/Tsupershape.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/reference_mesh.h"

#include <GL/gl.h>

#include <memory>

using Nsupershape::Tsupershape;
using test_support::Framebuffer;

namespace {

class SupershapeDrawing : public test_support::Gl_test {
protected:
    void SetUp() override
    {
        width = 200;
        height = 200;
        Gl_test::SetUp();
    }

    // Shapes of radius about 1 fill most of the window.
    void clear_and_frame() const
    {
        clear_to_black();
        glMatrixMode(GL_PROJECTION);
        glOrtho(-1.3, 1.3, -1.3, 1.3, -2, 2);
        glMatrixMode(GL_MODELVIEW);
        glRotatef(30, 1, 0.5f, 0);
        glColor4ub(255, 255, 64, 255);
    }

    Framebuffer draw_reference(const Tsupershape& shape, bool with_colors) const
    {
        clear_and_frame();
        test_support::emit_strip_by_corner(shape, with_colors);
        return read_framebuffer();
    }

    Framebuffer draw_render(const Tsupershape& shape, int single_color) const
    {
        clear_and_frame();
        shape.render(single_color);
        return read_framebuffer();
    }

    Framebuffer draw_list(const Tsupershape& shape) const
    {
        clear_and_frame();
        shape.render_dl();
        return read_framebuffer();
    }
};

void expect_same_picture(const Framebuffer& actual, const Framebuffer& expected)
{
    ASSERT_GT(expected.lit_count(), 0) << "the reference drew nothing";
    int differing = 0;
    for (std::size_t i = 0; i < expected.pixels.size(); ++i)
        differing += !(actual.pixels[i] == expected.pixels[i]);
    EXPECT_EQ(differing, 0) << "of " << expected.lit_count() << " lit pixels";
}

std::unique_ptr<Tsupershape> spiky_shape(int slices, int bands)
{
    return std::make_unique<Tsupershape>(1.0f, slices, bands, 1, 1, 6, 0.6f, 1.2f, 1.7f);
}

} // namespace

TEST_F(SupershapeDrawing, SingleColourStripMatchesCornerByCornerEmission)
{
    for (auto [slices, bands] : {std::pair{8, 8}, {300, 300}}) {
        const auto shape = spiky_shape(slices, bands);
        expect_same_picture(draw_render(*shape, 1), draw_reference(*shape, false));
    }
}

TEST_F(SupershapeDrawing, ColouredStripMatchesCornerByCornerEmission)
{
    for (auto [slices, bands] : {std::pair{8, 8}, {300, 300}}) {
        const auto shape = spiky_shape(slices, bands);
        shape->colors[5] = {0.25f, 0.5f, 1.0f, 1.0f};
        expect_same_picture(draw_render(*shape, 0), draw_reference(*shape, true));
    }
}

TEST_F(SupershapeDrawing, ColouredStripLeavesTheLastCornersColour)
{
    const auto shape = spiky_shape(8, 8);
    shape->set_color(0.5f, 0.25f, 0.75f, 1.0f);
    shape->colors[shape->triangles[shape->triangle_count - 6].i2] = {0.0f, 1.0f, 0.0f, 0.5f};
    clear_and_frame();
    shape->render(0);
    GLfloat current[4];
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_EQ(current[0], 0.0f);
    EXPECT_EQ(current[1], 1.0f);
    EXPECT_EQ(current[3], 0.5f);
}

TEST_F(SupershapeDrawing, SingleColourStripKeepsTheCurrentColour)
{
    const auto shape = spiky_shape(8, 8);
    const Framebuffer picture = draw_render(*shape, 1);
    for (const auto& pixel : picture.pixels) {
        if ((pixel.r | pixel.g | pixel.b) != 0) {
            ASSERT_TRUE(pixel == (test_support::Rgba{255, 255, 64, 255}));
        }
    }
}

TEST_F(SupershapeDrawing, FewerThanSixTrianglesDrawNothing)
{
    const Tsupershape four_triangles(1.0f, 1, 1, 1, 1, 4, 0.3f, 1, 1);
    ASSERT_EQ(four_triangles.triangle_count, 4);
    EXPECT_EQ(draw_render(four_triangles, 1).lit_count(), 0);
    EXPECT_EQ(draw_render(four_triangles, 0).lit_count(), 0);

    // Six triangles leave exactly one to draw; one row lies on the pole, so
    // spread its three vertices out by hand.
    Tsupershape six_triangles(1.0f, 1, 2, 1, 1, 0, 2, 2, 2);
    ASSERT_EQ(six_triangles.triangle_count, 6);
    six_triangles.vertices[0] = {-1, -1, 0};
    six_triangles.vertices[1] = {1, -1, 0};
    six_triangles.vertices[2] = {0, 1, 0};
    expect_same_picture(draw_render(six_triangles, 1), draw_reference(six_triangles, false));
}

TEST_F(SupershapeDrawing, DisplayListReplaysTheColouredStripAsCompiled)
{
    const auto shape = spiky_shape(20, 20);
    const Framebuffer coloured = draw_render(*shape, 0);
    shape->build_list();
    ASSERT_NE(shape->display_list, 0u);
    EXPECT_TRUE(glIsList(shape->display_list));
    shape->set_color(0, 0, 1, 1);  // a compiled list keeps its colours
    expect_same_picture(draw_list(*shape), coloured);
}

TEST_F(SupershapeDrawing, ListsAreDeletedByRebuildReloadAndDestructor)
{
    auto shape = spiky_shape(6, 6);
    shape->build_list();
    const GLuint first = shape->display_list;
    shape->build_list();
    EXPECT_FALSE(glIsList(first)) << "a second list must replace the first";
    const GLuint second = shape->display_list;
    EXPECT_TRUE(glIsList(second));

    shape->reload(1.0f, 4, 4, 1, 1, 4, 0.3f, 1, 1);
    EXPECT_FALSE(glIsList(second));
    EXPECT_EQ(shape->display_list, 0u);

    shape->build_list();
    const GLuint third = shape->display_list;
    shape.reset();
    EXPECT_FALSE(glIsList(third));
}

TEST_F(SupershapeDrawing, ListlessObjectDrawsNothingThroughList0)
{
    const auto shape = spiky_shape(6, 6);
    EXPECT_EQ(draw_list(*shape).lit_count(), 0);
}
