// Opening a saved snippet: the editor starts with its values, saves them
// again for shapetool to export, and refuses a file it cannot read before any
// window opens.
#include "snippet/snippet.h"
#include "tests/support/child_process.h"
#include "tests/support/editor_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

using test_support::Editor_process;
using test_support::Picture;
using test_support::Rgb;
namespace fs = std::filesystem;

namespace {

constexpr Rgb shape_yellow{255, 255, 64}, cyan{0, 255, 255};
constexpr int save_button_x = 120, save_button_y = 75;

// Right of the panel, which shows the colour too.
int shape_pixels(const Picture& picture)
{
    return picture.count_in(cyan, 320, 0, 640, 480);
}

} // namespace

TEST(OpenE2E, StartsWithTheFilesShapeAndSavesTheSameValues)
{
    const std::string folder = test_support::make_scratch_folder();
    fs::create_directory(folder + "/shapes");
    Tparams opened;
    set_start_values(opened);
    opened.m = 6;
    opened.slices = opened.bands = 40;
    opened.color[0] = 0;
    opened.color[2] = 255;
    opened.rot_str += " xy xz";
    const std::string text = snippet::text(opened);
    std::ofstream(folder + "/shapes/opened.bas", std::ios::binary) << text;

    Editor_process editor(folder, {}, {"shapes/opened.bas"});
    ASSERT_FALSE(editor.window().empty()) << "no window appeared";
    const Picture first = editor.capture_until([](const Picture& p) { return shape_pixels(p) > 100; });
    const int lit = shape_pixels(first);
    EXPECT_GT(lit, 100);
    EXPECT_EQ(first.count(shape_yellow), 0);
    // Built at the file's resolution from the start, so Reset changes nothing.
    editor.key("space");
    const Picture reset = editor.capture_until([&](const Picture& p) { return shape_pixels(p) != lit; }, 3);
    EXPECT_EQ(shape_pixels(reset), lit);

    editor.click(save_button_x, save_button_y);
    std::vector<fs::path> saved;
    for (int attempt = 0; attempt < 100 && saved.size() < 2; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        saved.assign(fs::directory_iterator(folder + "/shapes"), {});
    }
    ASSERT_EQ(saved.size(), 2u);
    for (const fs::path& file : saved) {
        std::ifstream saved_file(file, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved_file), {}), text) << file;
    }
    editor.key("Escape");
    EXPECT_EQ(editor.wait_for_exit(), 0);

    // What the editor saved, shapetool turns into a mesh.
    const auto exported = test_support::run_program(SHAPETOOL_EXECUTABLE, {"export", saved[0].string(), "-o", "x.glb"}, folder);
    EXPECT_EQ(exported.exit_status, 0) << exported.standard_error;
    EXPECT_TRUE(fs::is_regular_file(folder + "/x.glb"));
    fs::remove_all(folder);
}

// Without a display, a window that opened would end the program with status
// 0 and a line on standard output.
TEST(OpenE2E, RefusesBadArgumentsBeforeAnyWindow)
{
    const std::string folder = test_support::make_scratch_folder();
    Tparams params;
    set_start_values(params);
    std::string text = snippet::text(params);
    text.replace(text.find("4\r\n"), 1, "4,5");
    std::ofstream(folder + "/bad.bas", std::ios::binary) << text;
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"bad.bas"}, "bad.bas:11: expected a number after \"params.m =\", found \"4,5\"\n"},
        {{"none.bas"}, "none.bas: cannot read: No such file or directory\n"},
        {{"bad.bas", "none.bas"}, "usage: supershape [SNIPPET.bas]\n"},
    };
    for (const auto& [arguments, message] : cases) {
        Editor_process editor(folder, {"DISPLAY"}, arguments);
        EXPECT_EQ(editor.wait_for_exit(), 2);
        EXPECT_EQ(editor.standard_error(), message);
        EXPECT_EQ(editor.standard_output(), "");
    }
    fs::remove_all(folder);
}
