// Drawing the supershape on a real context, against the strip the test sends corner by corner.
#include "shape/Tsupershape.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/reference_mesh.h"

#include <GL/gl.h>

#include <functional>
#include <memory>

using Nsupershape::Tsupershape;
using test_support::emit_strip_by_corner, test_support::gl;

namespace {

class SupershapeDrawing : public test_support::Gl_test {
protected:
    SupershapeDrawing() { width = height = 200; }

    // Shapes of radius about 1 fill most of the window.
    std::vector<test_support::Rgba> draw(const std::function<void()>& emit) const
    {
        clear_to_black();
        glOrtho(-1.3, 1.3, -1.3, 1.3, -2, 2);
        glRotatef(30, 1, 0.5f, 0);
        glColor4ub(255, 255, 64, 255);
        emit();
        return read_framebuffer();
    }
};

} // namespace

TEST_F(SupershapeDrawing, StripMatchesCornerByCornerEmissionAndListsKeepIt)
{
    const auto nothing = draw([] {});
    for (int size : {8, 300}) {
        Tsupershape shape(1.0f, size, size, 1, 1, 6, 0.6f, 1.2f, 1.7f);
        shape.colors[5] = {0.25f, 0.5f, 1.0f, 1.0f};
        for (bool colours : {false, true}) {
            const auto expected = draw([&] { emit_strip_by_corner(shape, colours); });
            EXPECT_FALSE(expected == nothing);
            EXPECT_TRUE(draw([&] { shape.render(colours ? 0 : 1); }) == expected) << size << " " << colours;
        }
    }
    // Fewer than six triangles draw nothing; six leave one, on the pole's row, so it is spread by hand.
    const Tsupershape four_triangles(1.0f, 1, 1, 1, 1, 4, 0.3f, 1, 1);
    EXPECT_TRUE(draw([&] { four_triangles.render(1); }) == nothing);
    EXPECT_TRUE(draw([&] { four_triangles.render(0); }) == nothing);
    Tsupershape six_triangles(1.0f, 1, 2, 1, 1, 0, 2, 2, 2);
    const Nsupershape::Tvector3 corners[] = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}};
    std::copy(corners, corners + 3, six_triangles.vertices.get());
    const auto one = draw([&] { emit_strip_by_corner(six_triangles, false); });
    EXPECT_FALSE(one == nothing);
    EXPECT_TRUE(draw([&] { six_triangles.render(1); }) == one);

    // The coloured strip leaves the last corner's colour; lists keep the colours and are deleted.
    auto shape = std::make_unique<Tsupershape>(1.0f, 20, 20, 1, 1, 6, 0.6f, 1.2f, 1.7f);
    shape->colors[shape->triangles[shape->triangle_count - 6].i2] = {0.0f, 1.0f, 0.0f, 0.5f};
    const auto coloured = draw([&] { shape->render(0); });
    EXPECT_EQ(gl<float>({GL_CURRENT_COLOR}, 4), (std::vector<float>{0, 1, 0, 0.5f})) << "the last corner's colour";

    EXPECT_TRUE(draw([&] { shape->render_dl(); }) == nothing) << "no list yet";
    shape->build_list();
    const GLuint first = shape->display_list;
    shape->set_color(0, 0, 1, 1); // a compiled list keeps its colours
    EXPECT_TRUE(draw([&] { shape->render_dl(); }) == coloured);
    shape->build_list();
    const GLuint second = shape->display_list;
    shape.reset();
    EXPECT_EQ(std::pair(glIsList(first), glIsList(second)), (std::pair<GLboolean, GLboolean>(GL_FALSE, GL_FALSE)))
        << "a second list replaces the first, and goes with the shape";
}
