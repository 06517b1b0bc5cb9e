// shapetool animate as a user runs it, with no display: each file read back by its format's own library, a
// turntable's first frame the picture render draws, a morph's frames its shapes and the halfway shape.
#include "animation/timeline.h"
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
#include <vector>

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {

constexpr int width = 96, height = 72, pixels = width * height;

class Animate : public ::testing::Test {
protected:
    const test_support::Scratch_folder scratch{"animate_test"};
    const fs::path folder = scratch.path();

    int run(const Names& arguments) const
    {
        return test_support::run_program(SHAPETOOL_EXECUTABLE, arguments, folder).exit_status;
    }
    // A PNG file's pixels, 3 bytes each.
    std::vector<std::uint8_t> png(const std::string& name) const
    {
        int w = 0, h = 0;
        stbi_uc* read = stbi_load((folder / name).c_str(), &w, &h, nullptr, 3);
        std::vector<std::uint8_t> rgb(read, read + (read ? 3 * w * h : 0));
        stbi_image_free(read);
        return rgb;
    }
};

} // namespace

TEST_F(Animate, ATurntableStartsOnTheRenderedPictureInEveryFile)
{
    // Three arms: a quarter turn is another picture.
    Tparams shape;
    set_start_values(shape);
    shape.m = 3, shape.slices = 60, shape.bands = 60;
    std::ofstream(folder / "arms.bas") << snippet::text(shape);
    const auto animate = [&](Names arguments) {
        arguments.insert(arguments.begin(), {"animate", "arms.bas", "--size", "96x72", "--frames", "8", "-q"});
        return run(arguments);
    };
    ASSERT_EQ(run({"render", "arms.bas", "--solid", "--size", "96x72", "-o", "rendered.png"}), 0);
    ASSERT_EQ(animate({"-o", "lossy.webp", "--frames-dir", "frames"}) + animate({"-o", "lossless.webp", "--lossless"}) +
                  animate({"-o", "shaded.gif"}) + animate({"-o", "clear.webp", "--transparent"}) +
                  animate({"-o", "video.mp4"}),
              0);
    const std::vector<std::uint8_t> rendered = png("rendered.png");
    ASSERT_FALSE(rendered.empty());
    EXPECT_EQ(png("frames/frame_0001.png"), rendered);
    EXPECT_EQ(test_support::entries(folder / "frames"), 8);
    const auto lossless = test_support::read_animation("webp", folder / "lossless.webp"),
               lossy = test_support::read_animation("webp", folder / "lossy.webp"),
               gif = test_support::read_animation("gif", folder / "shaded.gif"),
               clear = test_support::read_animation("webp", folder / "clear.webp"),
               video = test_support::read_animation("mp4", folder / "video.mp4");
    for (const auto* read : {&lossless, &lossy, &gif, &clear})
        ASSERT_EQ(std::tuple(read->frames.size(), read->width, read->height, read->loops),
                  std::tuple(8u, width, height, 0));
    // 30 frames a second by default; the GIF's pixels are the writers' test's (tests/animation).
    EXPECT_EQ(gif.delays, (std::vector<int>{3, 4, 3, 3, 4, 3, 3, 4}));
    EXPECT_EQ(test_support::psnr(rendered.data(), 3, lossless.frames[0].data(), 4, pixels), INFINITY);
    // Lossy: close to the picture, which a quarter turn is not.
    EXPECT_GT(test_support::psnr(rendered.data(), 3, lossy.frames[0].data(), 4, pixels), 30);
    EXPECT_LT(test_support::psnr(rendered.data(), 3, lossy.frames[2].data(), 4, pixels), 25);
    ASSERT_EQ(std::tuple(video.frames.size(), video.width, video.height), std::tuple(8u, width, height));
    EXPECT_GT(test_support::psnr(rendered.data(), 3, video.frames[0].data(), 4, pixels), 30);
    EXPECT_LT(test_support::psnr(rendered.data(), 3, video.frames[2].data(), 4, pixels), 25);
    EXPECT_EQ(clear.frames[0][3], 0) << "clear around the shape";
    EXPECT_EQ(clear.frames[0][4 * (pixels / 2 + width / 2) + 3], 255) << "opaque on it";
}

TEST_F(Animate, AMorphShowsEachShapeAsRenderFramesItAndTheHalfwayShapeFramedHalfwayAtHalfTime)
{
    // From one set to two, larger, with a, n1, m, the grid and the colour changing; and the shape halfway.
    Tparams shapes[3];
    Tparams &first = shapes[0], &last = shapes[2];
    set_start_values(first);
    first.slices = first.bands = 40;
    last = first;
    last.a = 0.5f, last.n1 = 2, last.m = 5, last.radius = 1.5f, last.slices = 30, last.color[1] = 200;
    last.sets_linked = 0, last.a2 = 0.5f, last.n1_2 = 2, last.m2 = 2;
    std::ofstream(folder / "first.bas") << snippet::text(first);
    std::ofstream(folder / "last.bas") << snippet::text(last);
    ASSERT_EQ(
        run({"animate", "first.bas", "last.bas", "--frames", "3", "--size", "96x72", "--frames-dir", "morph", "-q"}),
        0);
    ASSERT_EQ(run({"render", "first.bas", "last.bas", "--solid", "--size", "96x72", "--outdir", "."}), 0);
    EXPECT_EQ(png("morph/frame_0001.png"), png("first.png"));
    EXPECT_EQ(png("morph/frame_0003.png"), png("last.png"));

    // Halfway (its values are the timeline test's), about the middle of the two centres, held by the mean of the
    // spheres the two framings fit.
    shapes[1] = animation::blend(first, last, 0.5);
    scene::Framing framings[3];
    mesh::Triangle_mesh meshes[3];
    for (int k : {0, 2, 1}) {
        ASSERT_TRUE(mesh::build_closed_mesh(shapes[k], meshes[k]).ok());
        framings[k] = scene::fit_to_view(meshes[k].positions.data(), meshes[k].positions.size(), width, height);
    }
    framings[1].zoom = 2 / (1 / framings[0].zoom + 1 / framings[2].zoom);
    for (int axis = 0; axis < 3; ++axis)
        framings[1].centre[axis] = (framings[0].centre[axis] + framings[2].centre[axis]) / 2;
    offscreen::Renderer renderer;
    ASSERT_TRUE(renderer.open().ok());
    offscreen::Model model{meshes[1].view(), offscreen::Model::Style::solid, {}};
    std::copy(shapes[1].color, shapes[1].color + 4, model.color);
    offscreen::Image picture;
    ASSERT_TRUE(renderer.picture(model, {width, height, 0, false, framings[1], 30}, picture).ok());
    EXPECT_GT(test_support::psnr(png("morph/frame_0002.png").data(), 3, picture.rgb.data(), 3, pixels), 40);
}

// What sites and browsers take: H.264 in yuv420p at exactly 30 frames a second, a key frame to start at, its index
// before its media, under 1 MB for the starfish's default turntable, and decoded by ffmpeg without a complaint.
TEST_F(Animate, AnMp4TurntableIsVideoThatPlaysWhileItLoads)
{
    ASSERT_EQ(run({"animate", SOURCE_DIR "/examples/starfish.bas", "-q", "-o", "turn.mp4"}), 0);
    const auto shell = [&](const std::string& command) {
        return test_support::run_program("/bin/sh", {"-c", command}, folder);
    };
    EXPECT_EQ(shell("ffprobe -v error -select_streams v -of csv=p=0 -count_frames -show_entries "
                    "stream=codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames,duration turn.mp4")
                  .standard_output,
              "h264,480,480,yuv420p,30/1,2.000000,60\n");
    EXPECT_LT(fs::file_size(folder / "turn.mp4"), 1000000u);
    const std::string file = test_support::file_text(folder / "turn.mp4");
    EXPECT_LT(file.find("moov"), file.find("mdat"));
    // Players start at a sync sample, which ffmpeg finds without the index: the first, and no other in two seconds
    // (stss: its version and flags, count and numbers; then the 28 bytes of stsc).
    const std::string first_alone("\0\0\0\1\0\0\0\1\0\0\0\x1cstsc", 16);
    EXPECT_EQ(file.substr(file.find("stss") + 8, 16), first_alone);
    const auto decoded = shell("ffmpeg -v error -i turn.mp4 -f null -");
    EXPECT_EQ(std::pair(decoded.exit_status, decoded.standard_error), std::pair(0, std::string()));
}

// Frames an older, longer run left beyond the new ones go once the new ones are written, and the summary says so:
// files and links (the link, not its file) named exactly as frames are; other names stay.
TEST_F(Animate, OlderFramesBeyondTheNewOnesAreRemovedAndSaid)
{
    fs::create_directory(folder / "frames");
    for (const char* name : {"frame_0003.png", "frame_0004.png", "frame_3.png", "frame_0000.png"})
        std::ofstream(folder / "frames" / name);
    std::ofstream(folder / "kept") << "kept";
    fs::create_symlink("../kept", folder / "frames/frame_0005.png");
    const auto result = test_support::run_program(
        SHAPETOOL_EXECUTABLE, {"animate", "--m", "3", "--frames", "2", "--size", "8x8", "--frames-dir", "frames"},
        folder);
    EXPECT_EQ(result.standard_error, "frames: 2 frames of 8 x 8 pixels at 30 fps; removed 3 older frames\n");
    EXPECT_EQ(test_support::entries(folder / "frames"), 4);
    EXPECT_EQ(test_support::file_text(folder / "kept"), "kept");
}
