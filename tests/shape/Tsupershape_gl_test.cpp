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
        width = height = 200;
        Gl_test::SetUp();
    }

    // Shapes of radius about 1 fill most of the window.
    template <class Draw>
    Framebuffer draw(Draw emit) const
    {
        clear_to_black();
        glMatrixMode(GL_PROJECTION);
        glOrtho(-1.3, 1.3, -1.3, 1.3, -2, 2);
        glMatrixMode(GL_MODELVIEW);
        glRotatef(30, 1, 0.5f, 0);
        glColor4ub(255, 255, 64, 255);
        emit();
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

TEST_F(SupershapeDrawing, StripMatchesCornerByCornerEmissionInBothColourModes)
{
    for (auto [slices, bands] : {std::pair{8, 8}, {300, 300}}) {
        const auto shape = spiky_shape(slices, bands);
        shape->colors[5] = {0.25f, 0.5f, 1.0f, 1.0f};
        for (bool colours : {false, true})
            expect_same_picture(draw([&] { shape->render(colours ? 0 : 1); }),
                                draw([&] { test_support::emit_strip_by_corner(*shape, colours); }));
    }
}

TEST_F(SupershapeDrawing, ColouredStripLeavesTheLastCornersColour)
{
    const auto shape = spiky_shape(8, 8);
    shape->colors[shape->triangles[shape->triangle_count - 6].i2] = {0.0f, 1.0f, 0.0f, 0.5f};
    draw([&] { shape->render(0); });
    GLfloat current[4];
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_TRUE(current[0] == 0 && current[1] == 1 && current[3] == 0.5f);
}

TEST_F(SupershapeDrawing, FewerThanSixTrianglesDrawNothing)
{
    const Tsupershape four_triangles(1.0f, 1, 1, 1, 1, 4, 0.3f, 1, 1);
    EXPECT_EQ(draw([&] { four_triangles.render(1); }).lit_count(), 0);
    EXPECT_EQ(draw([&] { four_triangles.render(0); }).lit_count(), 0);

    // Six leave exactly one; its row lies on the pole, so spread it by hand.
    Tsupershape six_triangles(1.0f, 1, 2, 1, 1, 0, 2, 2, 2);
    six_triangles.vertices[0] = {-1, -1, 0};
    six_triangles.vertices[1] = {1, -1, 0};
    six_triangles.vertices[2] = {0, 1, 0};
    expect_same_picture(draw([&] { six_triangles.render(1); }),
                        draw([&] { test_support::emit_strip_by_corner(six_triangles, false); }));
}

TEST_F(SupershapeDrawing, DisplayListReplaysTheColouredStripAsCompiled)
{
    const auto shape = spiky_shape(20, 20);
    EXPECT_EQ(draw([&] { shape->render_dl(); }).lit_count(), 0) << "no list yet";
    const Framebuffer coloured = draw([&] { shape->render(0); });
    shape->build_list();
    shape->set_color(0, 0, 1, 1);  // a compiled list keeps its colours
    expect_same_picture(draw([&] { shape->render_dl(); }), coloured);
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
