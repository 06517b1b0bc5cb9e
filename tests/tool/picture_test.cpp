// shapetool's pictures as a user makes them, with no display, judged by pixel properties.
#include "params/Tparams.h"
#include "snippet/snippet.h"
#include "tests/support/animation_files.h"
#include "tests/support/child_process.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>

namespace fs = std::filesystem;
using Pixel = const stbi_uc*;
using Wanted = std::function<bool(Pixel)>;

const auto rgb = [](int r, int g, int b) { return [=](Pixel p) { return p[0] == r && p[1] == g && p[2] == b; }; };
// The colour (r, g, b), whose largest channel is `top`, covering part of a pixel of black: each channel in proportion.
const auto share_of = [](int r, int g, int b, int top) {
    return [=](Pixel p) {
        const int at = top == r ? 0 : top == g ? 1 : 2;
        return std::abs(p[0] * top - r * p[at]) <= top && std::abs(p[1] * top - g * p[at]) <= top &&
               std::abs(p[2] * top - b * p[at]) <= top;
    };
};

int shapetool(const fs::path& folder, const std::vector<std::string>& arguments)
{
    return test_support::run_program(SHAPETOOL_EXECUTABLE, arguments, folder).exit_status;
}

// Pixels found in a box, and their bounds.
struct Found {
    int count = 0, left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

// Read as RGB, or RGBA when `step` is 4; `channels` are the file's own.
struct Png {
    int width = 0, height = 0, channels = 0, step;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels{nullptr, stbi_image_free};

    explicit Png(const fs::path& path, int step = 3) : step(step)
    {
        pixels.reset(stbi_load(path.c_str(), &width, &height, &channels, step));
    }
    Pixel at(int x, int y) const { return pixels.get() + step * (y * width + x); }
    // The pixels in [x0, x1) x [y0, y1) for which `wanted` holds.
    Found find(int x0, int y0, int x1, int y1, const Wanted& wanted) const
    {
        Found f;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (wanted(at(x, y)))
                    f = {f.count + 1, std::min(f.left, x), std::min(f.top, y), std::max(f.right, x),
                         std::max(f.bottom, y)};
        return f;
    }
};

TEST(ShapetoolPictures, RenderAndGalleryShowTheSnippetsColoursFittedShadedTurnedAndNamed)
{
    const test_support::Scratch_folder scratch("shapetool_pictures");
    const fs::path folder = scratch.path();
    const auto shapetool = [&](const std::vector<std::string>& arguments) { return ::shapetool(folder, arguments); };
    const Wanted yellow = rgb(255, 255, 64), teal = rgb(0, 128, 128), black = rgb(0, 0, 0);
    // shapes/a.bas at the start values, b.bas the same in teal, c.bas not a snippet.
    fs::create_directories(folder / "shapes");
    Tparams params;
    set_start_values(params);
    std::ofstream(folder / "shapes/a.bas", std::ios::binary) << snippet::text(params);
    params.color[0] = 0, params.color[1] = 128, params.color[2] = 128;
    std::ofstream(folder / "shapes/b.bas", std::ios::binary) << snippet::text(params);
    std::ofstream(folder / "shapes/c.bas") << "not a snippet";
    ASSERT_EQ(shapetool({"render", "shapes/a.bas", "shapes/b.bas", "--outdir", "."}), 0);
    for (const auto& [file, colour, share] :
         {std::tuple{"a.png", yellow, share_of(255, 255, 64, 255)}, {"b.png", teal, share_of(0, 128, 128, 128)}}) {
        const Png picture(folder / file);
        ASSERT_EQ(picture.width * 1000 + picture.height, 640480) << file;
        const Found drawn = picture.find(0, 0, 640, 480, colour);
        EXPECT_EQ(picture.find(0, 0, 640, 480, share).count, 640 * 480) << "only the colour on black";
        // Centred and fitted: clear of the edges, filling most of the height and the middle.
        EXPECT_GT(drawn.top, 0) << file;
        EXPECT_LT(drawn.bottom, 479) << file;
        EXPECT_GT(drawn.bottom - drawn.top, 240) << file;
        EXPECT_LT(std::abs(drawn.left + drawn.right - 640), 96) << file;
        EXPECT_GT(picture.find(240, 160, 400, 320, colour).count, 1000) << file;
    }
    // Every lit pixel keeps the colour's order of channels, in many levels; no ground in the silhouette's middle.
    // An odd width has rows of an odd number of bytes.
    ASSERT_EQ(shapetool({"render", "shapes/b.bas", "--solid", "--size", "321x240", "-o", "solid.png"}), 0);
    const Png solid(folder / "solid.png");
    std::set<int> greens;
    const Found out_of_order = solid.find(0, 0, solid.width, solid.height, [&](Pixel p) {
        greens.insert(p[1]);
        return p[1] < p[0] || p[2] < p[0];
    });
    EXPECT_EQ(std::pair(solid.width, out_of_order.count), std::pair(321, 0));
    EXPECT_GT(greens.size(), 21u) << "levels";
    EXPECT_EQ(solid.find(150, 110, 170, 130, [](Pixel p) { return p[1] > p[0] && p[2] > p[0]; }).count, 400);
    // A transparent ground: alpha 0 around the shape, 255 on it, though the colour's own alpha is less, and between
    // along the edges.
    ASSERT_EQ(shapetool({"render", "shapes/b.bas", "--solid", "--transparent", "--color", "0,128,128,100", "--size",
                         "321x240", "-o", "clear.png"}),
              0);
    const Png clear(folder / "clear.png", 4);
    ASSERT_EQ(clear.channels, 4);
    std::set<int> alphas;
    clear.find(0, 0, clear.width, clear.height, [&](Pixel p) { return alphas.insert(p[3]).second; });
    EXPECT_GE(alphas.size(), 4u);
    const Pixel middle = clear.at(160, 120);
    EXPECT_EQ(std::tuple(int(clear.at(0, 0)[3]), int(middle[3]), middle[2] > middle[0]), std::tuple(0, 255, true));
    // The wire picture draws any grid the editor draws, where the closed mesh needs 2 slices and 3 bands.
    EXPECT_EQ(shapetool({"render", "--slices", "1", "-o", "row.png"}), 0);
    ASSERT_EQ(shapetool({"render", "--slices", "3", "--bands", "2", "-o", "flat.png"}), 0);
    EXPECT_GT(Png(folder / "flat.png").find(0, 0, 640, 480, yellow).count, 100);

    // A cell per snippet in name order in its own colour alone (c.bas: "cannot read"), its name in white under it.
    ASSERT_EQ(shapetool({"gallery", "shapes", "-o", "sheet.png", "--columns", "3", "--thumb", "96x72"}), 2);
    const Png sheet(folder / "sheet.png");
    ASSERT_GT(sheet.width, 3 * 96);
    const Wanted own[] = {yellow, teal, [](Pixel p) { return p[0] == 255 && p[1] > 0 && p[1] < 128; }};
    for (int cell = 0, third = sheet.width / 3; cell < 3; ++cell) {
        const auto in_cell = [&](const Wanted& wanted) {
            return sheet.find(cell * third, 0, (cell + 1) * third, sheet.height, wanted);
        };
        const Found thumbnail = in_cell(own[cell]), name = in_cell(rgb(255, 255, 255));
        EXPECT_GT(std::min(thumbnail.count, name.count), 20) << cell;
        EXPECT_GT(name.top, thumbnail.bottom) << cell;
        EXPECT_EQ(in_cell(own[(cell + 1) % 3]).count + in_cell(own[(cell + 2) % 3]).count, 0) << cell;
        const Wanted blurred = [](Pixel p) { return !rgb(255, 255, 255)(p) && !rgb(40, 40, 40)(p); };
        EXPECT_EQ(sheet.find(cell * third, name.top, (cell + 1) * third, sheet.height, blurred).count, 0) << cell;
    }
}

// Edges are smooth and stay sharp: the lemon close to the picture drawn four times as large and each 4 x 4 block's
// mean kept; a transparent edge's alpha ramps within two pixels of the ground, its colour the shape's own.
TEST(ShapetoolPictures, EdgesAreSmoothAndSharp)
{
    const test_support::Scratch_folder scratch("shapetool_edges");
    const fs::path folder = scratch.path();
    const std::string lemon = SOURCE_DIR "/examples/lemon.bas";
    ASSERT_EQ(shapetool(folder, {"render", lemon, "--solid", "--size", "480x480", "-o", "lemon.png"}) +
                  shapetool(folder, {"render", lemon, "--solid", "--size", "1920x1920", "-o", "large.png"}),
              0);
    const Png picture(folder / "lemon.png"), large(folder / "large.png");
    std::vector<std::uint8_t> reduced(3 * 480 * 480);
    for (std::size_t i = 0; i < reduced.size(); ++i) {
        int sum = 8;
        for (int k = 0; k < 16; ++k)
            sum += large.at(int(i / 3 % 480) * 4 + k % 4, int(i / 3 / 480) * 4 + k / 4)[i % 3];
        reduced[i] = std::uint8_t(sum / 16);
    }
    EXPECT_GT(test_support::psnr(reduced.data(), 3, picture.pixels.get(), 3, 480 * 480), 45);

    // Across the solid's middle row, ramps of at most three pixels between the ground (0) and the shape (1); the
    // coarse wire's pixels in its colour, unlit, whatever their alpha.
    ASSERT_EQ(shapetool(folder, {"render", lemon, "--solid", "--transparent", "--size", "96x72", "-o", "solid.png"}) +
                  shapetool(folder, {"render", "--slices", "8", "--bands", "8", "--color", "0,128,128", "--transparent",
                                     "--size", "96x72", "-o", "wire.png"}),
              0);
    const Png solid(folder / "solid.png", 4), wire(folder / "wire.png", 4);
    std::string row;
    for (int x = 0; x < 96; ++x)
        row += solid.at(x, 36)[3] == 0 ? '0' : solid.at(x, 36)[3] == 255 ? '1' : '-';
    EXPECT_EQ(std::pair(row.find("0-") != std::string::npos, row.find("----")), std::pair(true, std::string::npos))
        << row;
    EXPECT_EQ(wire.find(0, 0, 96, 72, [](Pixel p) { return p[3] > 0 && !rgb(0, 128, 128)(p); }).count, 0);
}

// From 30 degrees above the equator unless told: the flat starfish shows its face, the upper one, lit from above;
// and a turn is about the shape's own up axis under the raised camera, so that a four-armed shape turned a quarter
// looks the same.
TEST(ShapetoolPictures, TheCameraLooksDownOnTheShapeAndTurnsItAboutItsOwnUpAxis)
{
    const test_support::Scratch_folder scratch("shapetool_tilt");
    const fs::path folder = scratch.path();
    const std::string starfish = SOURCE_DIR "/examples/starfish.bas";
    ASSERT_EQ(shapetool(folder, {"render", starfish, "--solid", "-o", "above.png"}) +
                  shapetool(folder, {"render", starfish, "--solid", "--tilt", "-30", "-o", "below.png"}) +
                  shapetool(folder, {"render", "--m", "4", "--solid", "-o", "square.png"}) +
                  shapetool(folder, {"render", "--m", "4", "--solid", "--turn", "90", "-o", "quarter.png"}),
              0);
    const Png above(folder / "above.png"), below(folder / "below.png");
    const auto lit = [](const Png& picture) {
        long long green = 0;
        const Found shown = picture.find(0, 0, 640, 480, [&green](Pixel p) { return (green += p[1]), p[1] > 0; });
        return std::pair(shown, double(green) / shown.count);
    };
    const auto [face, brightness] = lit(above);
    EXPECT_GE(double(face.bottom - face.top + 1) / (face.right - face.left + 1), 0.45);
    EXPECT_GT(brightness, 1.2 * lit(below).second);
    EXPECT_GT(test_support::psnr(Png(folder / "square.png").pixels.get(), 3, Png(folder / "quarter.png").pixels.get(),
                                 3, 640 * 480),
              40);
}
