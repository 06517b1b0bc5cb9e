// Pictures and sheets drawn off screen, judged by pixel properties. Runs
// with DISPLAY unset; one case points DISPLAY at a display that is not there.
#include "offscreen/renderer.h"
#include "shape/Tsupershape.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>
#include <type_traits>

using offscreen::Image;
using Nsupershape::Tsupershape;

static_assert(!std::is_copy_constructible_v<offscreen::Renderer> && !std::is_copy_assignable_v<offscreen::Renderer>,
              "a renderer owns a GL context");

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

Rgb pixel(const Image& image, int x, int y)
{
    const std::uint8_t* p = image.at(x, y);
    return {p[0], p[1], p[2]};
}

// Pixels matching `test` inside [x0, x1) x [y0, y1), and their bounds.
struct Found {
    int count = 0;
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

template <class Test>
Found find(const Image& image, int x0, int y0, int x1, int y1, Test test)
{
    Found found;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (test(pixel(image, x, y))) {
                ++found.count;
                found.left = std::min(found.left, x);
                found.right = std::max(found.right, x);
                found.top = std::min(found.top, y);
                found.bottom = std::max(found.bottom, y);
            }
    return found;
}

template <class Test>
Found find(const Image& image, Test test)
{
    return find(image, 0, 0, image.width, image.height, test);
}

bool black(const Rgb& p) { return p == Rgb{0, 0, 0}; }

// A latitude-longitude sphere of radius 2 about (5, 0, 0), counter-clockwise
// from outside, stretched along x by `stretch`.
struct Sphere {
    std::vector<float> positions;
    std::vector<std::int32_t> indices;

    explicit Sphere(float stretch = 1.0f, int rows = 24, int columns = 48)
    {
        for (int i = 0; i <= rows; ++i)
            for (int j = 0; j < columns; ++j) {
                const double phi = M_PI * i / rows, theta = 2 * M_PI * j / columns;
                const double ring = 2 * std::sin(phi);
                positions.insert(positions.end(), {float(5 + stretch * ring * std::cos(theta)),
                                                   float(2 * std::cos(phi)), float(ring * std::sin(theta))});
            }
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < columns; ++j) {
                const int a = i * columns + j, b = i * columns + (j + 1) % columns;
                indices.insert(indices.end(), {a, b, a + columns, b, b + columns, a + columns});
            }
    }
    offscreen::Mesh mesh() const
    {
        return {positions.data(), std::int32_t(positions.size() / 3), indices.data(), std::int32_t(indices.size() / 3)};
    }
};

offscreen::Model wire(const Tsupershape& shape, Rgb c)
{
    return {&shape, {}, {std::uint8_t(c.r), std::uint8_t(c.g), std::uint8_t(c.b), 255}};
}

offscreen::Gallery_source from(const std::vector<offscreen::Gallery_entry>& entries)
{
    return [&entries](int index, offscreen::Gallery_entry& entry) {
        entry = entries.at(static_cast<std::size_t>(index));
        return offscreen::Status{};
    };
}

class Offscreen : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        renderer = new offscreen::Renderer;
        const offscreen::Status opened = renderer->open();
        ASSERT_TRUE(opened.ok()) << opened.error;
    }
    static void TearDownTestSuite() { delete renderer; }

    static inline offscreen::Renderer* renderer = nullptr;
};

} // namespace

TEST_F(Offscreen, WirePictureIsTheColourFittedOnBlack)
{
    const Tsupershape shape;
    for (const Rgb colour : {Rgb{255, 255, 64}, Rgb{40, 200, 90}}) {
        Image image;
        ASSERT_TRUE(renderer->picture(wire(shape, colour), {160, 120, 0.0f}, image).ok());
        ASSERT_EQ(image.width * 1000 + image.height, 160120);
        const auto is_colour = [&](const Rgb& p) { return p == colour; };
        const Found drawn = find(image, is_colour);
        EXPECT_EQ(drawn.count + find(image, black).count, 160 * 120) << "only the colour on black";
        EXPECT_GT(find(image, 53, 40, 107, 80, is_colour).count, 100) << "colour in the middle";
        for (const auto& [x, y] : {std::pair{0, 0}, {150, 0}, {0, 110}, {150, 110}})
            EXPECT_EQ(find(image, x, y, x + 10, y + 10, black).count, 100) << "corner " << x << "," << y;
        // Centred and fitted: clear of the edges, filling most of the height.
        EXPECT_GT(drawn.top, 0);
        EXPECT_LT(drawn.bottom, 119);
        EXPECT_GT(drawn.bottom - drawn.top, 60);
        EXPECT_NEAR((drawn.left + drawn.right) / 2.0, 80, 12);
    }
}

TEST_F(Offscreen, SolidIsShadedInsideItsSilhouetteAndTurns)
{
    const Sphere sphere;
    const offscreen::Model model{nullptr, sphere.mesh(), {200, 120, 40, 255}};
    Image image;
    ASSERT_TRUE(renderer->picture(model, {200, 160, 0.0f}, image).ok());
    EXPECT_EQ(find(image, 90, 70, 110, 90, black).count, 0) << "no background inside the silhouette";
    std::set<int> greens;
    const auto lit = [](const Rgb& p) { return !black(p); };
    const Found coloured = find(image, [&](const Rgb& p) {
        if (lit(p))
            greens.insert(p.g);
        return lit(p) && p.r >= p.g && p.g >= p.b;
    });
    EXPECT_GT(coloured.count, 5000);
    EXPECT_EQ(coloured.count, find(image, lit).count) << "every lit pixel keeps the colour's order of channels";
    EXPECT_GE(greens.size(), 20u) << "shading gives many levels";

    // Turned by 90 degrees, a sphere stretched along x shows end on.
    const Sphere long_sphere(3.0f);
    int widths[2];
    for (int turn : {0, 1}) {
        const offscreen::Model white{nullptr, long_sphere.mesh(), {255, 255, 255, 255}};
        ASSERT_TRUE(renderer->picture(white, {200, 160, 90.0f * turn}, image).ok());
        const Found outline = find(image, lit);
        widths[turn] = outline.right - outline.left;
    }
    EXPECT_GT(widths[0], 1.6 * widths[1]);
}

TEST_F(Offscreen, GalleryHasACellPerEntryWithItsNameUnderIt)
{
    const Tsupershape star;
    const Tsupershape other(1.0f, 20, 20, 1, 1, 6, 0.6f, 1.2f, 1.7f);
    const std::vector<Rgb> colours = {{255, 255, 64}, {40, 200, 90}, {0, 0, 0}};
    const std::vector<offscreen::Gallery_entry> entries = {{"star.bas", "", wire(star, colours[0])},
                                                           {"other.bas", "", wire(other, colours[1])},
                                                           {"gone.bas", "cannot read", {}}};
    Image sheet;
    // A framebuffer of another size before.
    ASSERT_TRUE(renderer->picture(wire(star, colours[0]), {64, 64, 0.0f}, sheet).ok());
    offscreen::Gallery_options options;
    options.columns = 3;
    options.thumb_width = 96;
    options.thumb_height = 72;
    ASSERT_TRUE(renderer->gallery(3, from(entries), options, sheet).ok());
    ASSERT_GT(sheet.width, 3 * 96);
    const auto white = [](const Rgb& p) { return p == Rgb{255, 255, 255}; };
    const auto message = [](const Rgb& p) { return p.r == 255 && p.g < 128; };
    const int third = sheet.width / 3;
    for (int cell = 0; cell < 3; ++cell) {
        const int x0 = cell * third, x1 = x0 + third;
        const auto own = [&](const Rgb& p) { return cell < 2 ? p == colours[cell] : message(p); };
        const Found thumbnail = find(sheet, x0, 0, x1, sheet.height, own);
        const Found name = find(sheet, x0, 0, x1, sheet.height, white);
        EXPECT_GT(thumbnail.count, 20) << "cell " << cell;
        EXPECT_GT(name.count, 20) << "cell " << cell;
        EXPECT_GT(name.top, thumbnail.bottom) << "name under the thumbnail of cell " << cell;
        for (int other = 0; other < 2; ++other) {
            const auto foreign = [&](const Rgb& p) { return other != cell && p == colours[other]; };
            EXPECT_EQ(find(sheet, x0, 0, x1, sheet.height, foreign).count, 0) << "cell " << cell;
        }
    }
}

TEST_F(Offscreen, BadRequestsAreRefusedAndLeaveTheImage)
{
    const Tsupershape shape;
    const Sphere sphere;
    offscreen::Mesh broken = sphere.mesh();
    std::vector<std::int32_t> bad_indices = sphere.indices;
    bad_indices[40] = broken.vertex_count;
    broken.indices = bad_indices.data();
    const float not_a_number = std::numeric_limits<float>::quiet_NaN();
    const offscreen::Model grey = wire(shape, {1, 1, 1});
    const std::pair<offscreen::Model, offscreen::Picture_options> pictures[] = {
        {grey, {0, 480, 0}},
        {grey, {9000, 10, 0}},
        {grey, {640, 480, not_a_number}},
        {{nullptr, broken, {}}, {64, 64, 0}},
        {{nullptr, {nullptr, 3, nullptr, 1}, {}}, {64, 64, 0}},
        {{nullptr, {nullptr, 0, nullptr, -1}, {}}, {64, 64, 0}}};
    const Image before{1, 1, {9, 9, 9}};
    for (const auto& [model, options] : pictures) {
        Image image = before;
        EXPECT_FALSE(renderer->picture(model, options, image).error.empty());
        EXPECT_EQ(image.rgb, before.rgb);
    }
    const std::vector<offscreen::Gallery_entry> one = {{"a", "", grey}};
    const std::pair<std::vector<offscreen::Gallery_entry>, offscreen::Gallery_options> sheets[] = {
        {{}, {}}, {one, {-1, 160, 120, 0}}, {one, {0, 8, 8, 0}}, {{200, one[0]}, {200, 2048, 64, 0}},
        {{{"b", "", {nullptr, broken, {}}}}, {}}};
    for (const auto& [entries, options] : sheets) {
        Image image = before;
        EXPECT_FALSE(renderer->gallery(static_cast<int>(entries.size()), from(entries), options, image).error.empty());
        EXPECT_EQ(image.rgb, before.rgb);
    }
    Image image = before;
    const auto refusing = [](int, offscreen::Gallery_entry&) { return offscreen::Status{"no such entry"}; };
    EXPECT_EQ(renderer->gallery(1, refusing, {}, image).error, "no such entry");
    EXPECT_TRUE(renderer->picture(grey, {32, 32, 0}, image).ok()) << "still usable";
    offscreen::Renderer closed;
    EXPECT_FALSE(closed.picture(grey, {}, image).ok());
}

TEST(OffscreenDisplay, NeedsNoXServerEvenWithDisplaySet)
{
    ::setenv("DISPLAY", ":4242", 1);
    offscreen::Renderer renderer;
    const offscreen::Status opened = renderer.open();
    ::unsetenv("DISPLAY");
    ASSERT_TRUE(opened.ok()) << opened.error;
    Image image;
    EXPECT_TRUE(renderer.picture(wire(Tsupershape(), {255, 0, 0}), {64, 48, 0}, image).ok());
}
