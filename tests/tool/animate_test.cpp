// shapetool animate as a user runs it, with no display: each file read back by its format's own library, a
// turntable's first frame the picture render draws, a morph's frames its shapes and the halfway shape, and
// refusals that write nothing.
#include "mesh/closed_mesh.h"
#include "offscreen/renderer.h"
#include "params/Tparams.h"
#include "snippet/snippet.h"
#include "tests/support/animation_files.h"
#include "tests/support/child_process.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <vector>

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {

class Animate : public ::testing::Test {
protected:
    const test_support::Scratch_folder scratch{"animate_test"};
    const fs::path folder = scratch.path();
    void SetUp() override { fs::create_directories(folder / "out"); }

    test_support::Child_result run(const Names& arguments) const
    {
        return test_support::run_program(SHAPETOOL_EXECUTABLE, arguments, folder);
    }
    void save(const std::string& name, const Tparams& params) const
    {
        std::ofstream(folder / name) << snippet::text(params);
    }
    // A PNG file's pixels, 3 bytes each.
    std::vector<std::uint8_t> png(const std::string& name) const
    {
        int width = 0, height = 0;
        stbi_uc* pixels = stbi_load((folder / name).c_str(), &width, &height, nullptr, 3);
        std::vector<std::uint8_t> rgb(pixels, pixels + (pixels ? 3 * width * height : 0));
        stbi_image_free(pixels);
        return rgb;
    }
};

constexpr int width = 96, height = 72, pixels = width * height;

double psnr(const std::vector<std::uint8_t>& wanted, const std::vector<std::uint8_t>& rgba)
{
    return test_support::psnr(wanted.data(), 3, rgba.data(), 4, pixels);
}

} // namespace

TEST_F(Animate, ATurntableStartsOnTheRenderedPictureInEveryFileAndGifKeepsTheShading)
{
    // Three arms: a quarter turn is another picture.
    Tparams shape;
    set_start_values(shape);
    shape.m = 3, shape.slices = 60, shape.bands = 60;
    save("arms.bas", shape);
    const Names common{"animate", "arms.bas", "--size", "96x72", "--frames", "8", "-q"};
    const auto animate = [&](const Names& more) {
        Names arguments = common;
        arguments.insert(arguments.end(), more.begin(), more.end());
        return run(arguments).exit_status;
    };
    ASSERT_EQ(run({"render", "arms.bas", "--solid", "--size", "96x72", "-o", "rendered.png"}).exit_status, 0);
    ASSERT_EQ(animate({"-o", "lossy.webp", "--frames-dir", "frames"}), 0);
    ASSERT_EQ(animate({"-o", "lossless.webp", "--lossless"}), 0);
    ASSERT_EQ(animate({"-o", "shaded.gif"}), 0);
    const std::vector<std::uint8_t> rendered = png("rendered.png");
    EXPECT_TRUE(!rendered.empty() && png("frames/frame_0001.png") == rendered &&
                test_support::entries(folder / "frames") == 8);

    const auto lossless = test_support::read_animation("webp", folder / "lossless.webp"),
               lossy = test_support::read_animation("webp", folder / "lossy.webp"),
               gif = test_support::read_animation("gif", folder / "shaded.gif");
    for (const auto* read : {&lossless, &lossy, &gif})
        ASSERT_TRUE(read->frames.size() == 8 && read->width == width && read->height == height && read->loops == 0);
    EXPECT_EQ(lossless.delays, (std::vector<int>{33, 34, 33, 33, 34, 33, 33, 34}));
    EXPECT_EQ(gif.delays, (std::vector<int>{3, 4, 3, 3, 4, 3, 3, 4}));
    EXPECT_EQ(psnr(rendered, lossless.frames[0]), INFINITY);
    // Lossy: close to the picture, which a quarter turn is not.
    EXPECT_GT(psnr(rendered, lossy.frames[0]), 30);
    EXPECT_LT(psnr(rendered, lossy.frames[2]), 25);
    // Each GIF frame at least as close to its PNG frame as giflib's own palette gets.
    for (int k = 0; k < 8; ++k) {
        const std::vector<std::uint8_t> frame = png("frames/frame_000" + std::to_string(k + 1) + ".png");
        EXPECT_GE(psnr(frame, gif.frames[k]), test_support::giflib_quantized_psnr(frame.data(), width, height)) << k;
    }
    // A transparent ground around an opaque shape.
    ASSERT_EQ(animate({"-o", "clear.webp", "--lossless", "--transparent"}), 0);
    const auto clear = test_support::read_animation("webp", folder / "clear.webp");
    ASSERT_EQ(clear.frames.size(), 8u);
    EXPECT_TRUE(clear.frames[0][3] == 0 && clear.frames[0][4 * (pixels / 2 + width / 2) + 3] == 255);
}

TEST_F(Animate, AMorphStartsAndEndsOnItsShapesAndPassesTheHalfwayShapeAtHalfTime)
{
    // One set to two, larger, with a, n1, m, the grid and the colour changing.
    Tparams first, last;
    set_start_values(first);
    first.slices = first.bands = 40;
    last = first;
    last.a = 0.5f, last.n1 = 2, last.m = 5, last.radius = 1.5f, last.slices = 30, last.color[1] = 200;
    last.sets_linked = 0, last.a2 = 0.5f, last.n1_2 = 2, last.m2 = 2;
    save("first.bas", first);
    save("last.bas", last);
    ASSERT_EQ(
        run({"animate", "first.bas", "last.bas", "--frames", "3", "--size", "96x72", "--frames-dir", "morph", "-q"})
            .exit_status,
        0);
    Tparams half = first;
    const auto reciprocal = [](float x, float y) { return float(2.0 / (1.0 / x + 1.0 / y)); };
    half.a = reciprocal(first.a, last.a), half.n1 = reciprocal(first.n1, last.n1), half.m = 4.5f, half.radius = 1.25f;
    half.slices = 35, half.color[1] = std::uint8_t((first.color[1] + 201) / 2);
    half.sets_linked = 0, half.a2 = half.a, half.n1_2 = half.n1, half.m2 = 3;

    mesh::Triangle_mesh meshes[3];
    std::vector<scene::Reach> reaches;
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(mesh::build_closed_mesh(k == 0 ? first : k == 1 ? half : last, meshes[k]).ok());
        reaches.push_back(scene::reach_of(meshes[k].positions.data(), meshes[k].positions.size()));
    }
    offscreen::Renderer renderer;
    ASSERT_TRUE(renderer.open().ok());
    for (int k = 0; k < 3; ++k) {
        const Tparams& shown = k == 0 ? first : k == 1 ? half : last;
        offscreen::Model model{meshes[k].view(), offscreen::Model::Style::solid, {}};
        std::copy(shown.color, shown.color + 4, model.color);
        offscreen::Image picture;
        ASSERT_TRUE(renderer
                        .picture(model, {width, height, 0, false, scene::fit_to_view(reaches.data(), 3, width, height)},
                                 picture)
                        .ok());
        EXPECT_EQ(png("morph/frame_000" + std::to_string(k + 1) + ".png"), picture.rgb) << k;
    }
}

TEST_F(Animate, ARefusedShapeAFrameThatCannotBeMeshedOrAMissingFolderWritesNothing)
{
    Tparams shape;
    set_start_values(shape);
    save("good.bas", shape);
    shape.slices = 1;
    save("one_row.bas", shape);
    std::ofstream(folder / "empty.bas");
    const std::pair<Names, std::string> refused[] = {
        {{"good.bas", "empty.bas", "-o", "out/a.webp"}, "shapetool: empty.bas:1: .*\n"},
        {{"good.bas", "one_row.bas", "--frames", "5", "-o", "out/a.gif", "--frames-dir", "out/frames"},
         "shapetool: one_row.bas: cannot mesh: .*\n"},
        {{"good.bas", "-o", "out/missing/a.webp"}, "shapetool: out/missing/a.webp: cannot create: No such file .*\n"},
    };
    for (const auto& [arguments, message] : refused) {
        Names line{"animate"};
        line.insert(line.end(), arguments.begin(), arguments.end());
        const auto result = run(line);
        EXPECT_TRUE(result.exit_status == (message.find("create") == std::string::npos ? 2 : 3) &&
                    std::regex_match(result.standard_error, std::regex(message)))
            << result.standard_error;
        EXPECT_EQ(test_support::entries(folder / "out"), 0) << arguments[1];
    }
}
