// shapetool's pictures as a user makes them, with no display: what the PNG
// files show, by pixel properties.
#include "app/Tparams.h"
#include "snippet/snippet.h"
#include "tests/support/child_process.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Pixel = const stbi_uc*;

std::function<bool(Pixel)> rgb(int r, int g, int b)
{
    return [=](Pixel p) { return p[0] == r && p[1] == g && p[2] == b; };
}

// Pixels found in a box, and their bounds.
struct Found {
    int count = 0, left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

struct Png {
    int width = 0, height = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels{nullptr, stbi_image_free};

    explicit Png(const fs::path& path) { pixels.reset(stbi_load(path.c_str(), &width, &height, nullptr, 3)); }
    // The pixels in [x0, x1) x [y0, y1) for which `wanted` holds.
    Found find(int x0, int y0, int x1, int y1, const std::function<bool(Pixel)>& wanted) const
    {
        Found f;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (wanted(pixels.get() + 3 * (y * width + x)))
                    f = {f.count + 1, std::min(f.left, x), std::min(f.top, y), std::max(f.right, x), std::max(f.bottom, y)};
        return f;
    }
};

class ShapetoolPictures : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(folder / "shapes"); }
    void TearDown() override { fs::remove_all(folder); }

    void save(const std::string& name, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
    {
        Tparams params;
        set_start_values(params);
        params.color[0] = red, params.color[1] = green, params.color[2] = blue;
        std::ofstream(folder / "shapes" / name, std::ios::binary) << snippet::text(params);
    }
    int shapetool(const std::vector<std::string>& arguments)
    {
        return test_support::run_program(SHAPETOOL_EXECUTABLE, arguments, folder).exit_status;
    }

    const fs::path folder = fs::temp_directory_path() / ("shapetool_pictures." + std::to_string(getpid()));
};

} // namespace

TEST_F(ShapetoolPictures, RenderShowsTheSnippetsColourFittedOnBlackAndSolidIsShadedAndTurns)
{
    save("default.bas", 255, 255, 64);
    save("teal.bas", 0, 128, 128);
    ASSERT_EQ(shapetool({"render", "shapes/default.bas", "shapes/teal.bas", "--outdir", "."}), 0);
    for (const auto& [file, r, g, b] : {std::tuple{"default.png", 255, 255, 64}, {"teal.png", 0, 128, 128}}) {
        const Png picture(folder / file);
        ASSERT_EQ(picture.width * 1000 + picture.height, 640480) << file;
        const Found drawn = picture.find(0, 0, 640, 480, rgb(r, g, b)), black = picture.find(0, 0, 640, 480, rgb(0, 0, 0));
        EXPECT_EQ(drawn.count + black.count, 640 * 480) << "only the colour on black";
        EXPECT_GT(picture.find(240, 160, 400, 320, rgb(r, g, b)).count, 1000) << file;
        EXPECT_EQ(picture.find(0, 0, 40, 40, rgb(0, 0, 0)).count + picture.find(600, 440, 640, 480, rgb(0, 0, 0)).count, 3200);
        // Centred and fitted: clear of the edges, filling most of the height.
        EXPECT_TRUE(drawn.top > 0 && drawn.bottom < 479 && drawn.bottom - drawn.top > 240) << file;
        EXPECT_NEAR((drawn.left + drawn.right) / 2.0, 320, 48) << file;
    }

    ASSERT_EQ(shapetool({"render", "shapes/teal.bas", "--solid", "--size", "320x240", "-o", "solid.png"}), 0);
    const Png solid(folder / "solid.png");
    std::set<int> greens;
    const auto lit = [](Pixel p) { return p[0] + p[1] + p[2] > 0; };
    const Found out_of_order = solid.find(0, 0, 320, 240, [&](Pixel p) {
        if (lit(p))
            greens.insert(p[1]);
        return lit(p) && (p[1] < p[0] || p[2] < p[0]);
    });
    EXPECT_EQ(out_of_order.count, 0) << "every lit pixel keeps the colour's order of channels";
    EXPECT_GT(greens.size(), 20u) << "shading gives many levels";
    // No ground around the middle of the silhouette.
    EXPECT_EQ(solid.find(150, 110, 170, 130, [](Pixel p) { return p[1] > p[0] && p[2] > p[0]; }).count, 400);

    // Turned by 90 degrees, a shape long along x shows end on.
    int widths[2];
    for (const int turn : {0, 90}) {
        ASSERT_EQ(shapetool({"render", "--m", "2", "--n1", "2", "--n2", "2", "--n3", "2", "--b", "0.1", "--solid",
                             "--turn", std::to_string(turn), "--size", "200x160", "-o", "turned.png"}), 0);
        const Found outline = Png(folder / "turned.png").find(0, 0, 200, 160, lit);
        widths[turn / 90] = outline.right - outline.left;
    }
    EXPECT_GT(widths[0], 1.6 * widths[1]);
}

// A cell per snippet in name order, each with its snippet's colour (for c.bas
// the message that it cannot be read) and no other's, its name in white under it.
TEST_F(ShapetoolPictures, GalleryHasACellAndANamePerSnippetAndEndsWith2ForABadOne)
{
    save("a.bas", 255, 0, 0);
    save("b.bas", 0, 255, 0);
    std::ofstream(folder / "shapes" / "c.bas") << "not a snippet";
    ASSERT_EQ(shapetool({"gallery", "shapes", "-o", "sheet.png", "--columns", "3", "--thumb", "96x72"}), 2);
    const Png sheet(folder / "sheet.png");
    ASSERT_GT(sheet.width, 3 * 96);
    const std::function<bool(Pixel)> own[] = {rgb(255, 0, 0), rgb(0, 255, 0),
                                              [](Pixel p) { return p[0] == 255 && p[1] > 0 && p[1] < 128; }};
    const int third = sheet.width / 3;
    for (int cell = 0; cell < 3; ++cell) {
        const auto in_cell = [&](const std::function<bool(Pixel)>& wanted) {
            return sheet.find(cell * third, 0, (cell + 1) * third, sheet.height, wanted);
        };
        const Found thumbnail = in_cell(own[cell]), name = in_cell(rgb(255, 255, 255));
        EXPECT_GT(thumbnail.count, 20) << cell;
        EXPECT_GT(name.count, 20) << cell;
        EXPECT_GT(name.top, thumbnail.bottom) << "name under the thumbnail of cell " << cell;
        EXPECT_EQ(in_cell(own[(cell + 1) % 3]).count + in_cell(own[(cell + 2) % 3]).count, 0) << cell;
    }
}
