#include "app/snippet.h"
#include "app/maker.h"
#include "tests/support/child_process.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

using test_support::run_in_child;
namespace fs = std::filesystem;

namespace {

const Tparams start = [] { Tparams params; set_start_values(params); return params; }();

// The line that sets `field` in the snippet for `params`, without its CR LF.
std::string line_of(const Tparams& params, const std::string& field)
{
    const std::string text = snippet_text(params);
    const std::size_t begin = text.find("\t\tparams." + field + " ");
    return text.substr(begin, text.find("\r\n", begin) - begin);
}

const std::string in_save_me = " in SUPERSHAPE::SAVE_ME()\r\n\r\n";

std::string contents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// A scratch folder, on which a test may mount a tmpfs.
class SaveMe : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(mkdtemp(folder.data()), nullptr); }
    void TearDown() override { umount2(folder.c_str(), MNT_DETACH); fs::remove_all(folder); }
    std::string folder = "/tmp/snippet_test_XXXXXX";
};

} // namespace

TEST(SnippetText, StartValuesByteForByte)
{
    const std::string rule = "'' ================================================================\r\n";
    const std::string expected =
        rule + "'' SuperShape\r\n'' Made by Morvane\r\n'' Tarnock\r\n'' " + maker::web_address + "\r\n" + rule +
        "sub load_shape(byref shape as Nsupershape.Tsupershape ptr, byref params as Tparams)\r\n\r\n"
        "\t\tparams.a                  =              1\r\n"
        "\t\tparams.b                  =              1\r\n"
        "\t\tparams.m                  =              4\r\n"
        "\t\tparams.n1                 =              0.3\r\n"
        "\t\tparams.n2                 =              1\r\n"
        "\t\tparams.n3                 =              1\r\n"
        "\t\tparams.radius             =              1\r\n"
        "\t\tparams.slices             =              8\r\n"
        "\t\tparams.bands              =              8\r\n"
        "\t\tparams.scale              =              1\r\n"
        "\t\tparams.color              =              type(255,255,64,255)\r\n"
        "\t\tparams.rot_str            =              \"rotations: \"\r\n"
        "\r\n\t\tdelete shape\r\n\t\tshape = null\r\n\t\tshape = new Nsupershape.Tsupershape\r\n"
        "\t\tshape->reload(params.radius,params.slices,params.bands,_\r\n"
        "\t\t       \t\t  params.a,params.b,params.m,_\r\n"
        "\t\t       \t\t  params.n1,params.n2,params.n3)\r\n"
        "\t\tshape->scale(params.scale,params.scale,params.scale)\r\n"
        "\t\tshape->set_color(params.color(0),params.color(1),params.color(2),params.color(3))\r\n"
        "\r\nend sub\r\n";
    EXPECT_EQ(snippet_text(start), expected);
}

// 7 significant digits, shortest form, a sign space for values >= 0, exponent
// form and non-numbers as C writes them; the value always at column 42.
TEST(SnippetText, SinglePrecisionNumbers)
{
    const std::pair<float, std::string> cases[] = {
        {0.0f, " 0"},      {-1.0f, "-1"},    {1.0f / 3, " 0.3333333"},        {4.0f / 3, " 1.333333"},
        {-2.25f, "-2.25"}, {1e-5f, " 1e-05"}, {12345678.0f, " 1.234568e+07"}, {1e30f, " 1e+30"},
        {NAN, " nan"},     {INFINITY, " inf"}, {-INFINITY, "-inf"},
    };
    for (const auto& [value, text] : cases) {
        Tparams params = start;
        params.scale = value;
        EXPECT_EQ(line_of(params, "scale"), "\t\tparams.scale              =             " + text);
    }
}

TEST(SnippetText, SlicesColourAndHistoryAfterASwap)
{
    Tparams params = start;
    params.slices = 64;
    params.bands = -3;
    params.color[1] = params.color[2] = 0;
    params.rot_str += " xy";
    EXPECT_EQ(line_of(params, "slices"), "\t\tparams.slices             =              64");
    EXPECT_EQ(line_of(params, "bands"), "\t\tparams.bands              =             -3");
    EXPECT_EQ(line_of(params, "color"), "\t\tparams.color              =              type(255,0,0,255)");
    EXPECT_EQ(line_of(params, "rot_str"), "\t\tparams.rot_str            =              \"rotations:  xy\"");
}

TEST(SnippetFileName, MonthDayYearThenTime)
{
    EXPECT_EQ(snippet_file_name({9, 5, 7}, {12, 5, 2026}), "shapes/shape_12-05-2026_09_05_07.bas");
    // Read across midnight: the old time with the new date.
    EXPECT_EQ(snippet_file_name({23, 59, 59}, {1, 1, 2027}), "shapes/shape_01-01-2027_23_59_59.bas");
}

TEST_F(SaveMe, ReplacesAnEarlierFileOrEndsWithError2LeavingNothing)
{
    const std::string path = folder + "/shape.bas";
    std::ofstream(path) << "earlier";
    EXPECT_EQ(run_in_child([&] { umask(022); save_me(path, start); }).exit_status, 0);
    EXPECT_EQ(contents(path), snippet_text(start));
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0644)) << "left private like a temporary file";

    fs::create_directory(folder + "/taken.bas");
    for (const std::string& refused : {folder + "/missing/shape.bas", folder + "/taken.bas"}) {
        const auto result = run_in_child([&] { save_me(refused, start); });
        EXPECT_EQ(result.exit_status, 2) << refused;
        EXPECT_EQ(result.standard_error, "\r\nAborting due to runtime error 2 (file not found)" + in_save_me);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 2) << "no temporary file left";
}

TEST_F(SaveMe, FullDiskIsError3AndKeepsTheEarlierFile)
{
    // In a private mount namespace the tmpfs cannot outlive this process.
    ASSERT_TRUE(unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=4k") == 0) << "needs root (CAP_SYS_ADMIN)";
    // One page, which the earlier file fills.
    const std::string path = folder + "/shape.bas";
    std::ofstream(path) << "earlier";
    const auto result = run_in_child([&] { save_me(path, start); });
    EXPECT_EQ(result.exit_status, 3);
    EXPECT_EQ(result.standard_error, "\r\nAborting due to runtime error 3 (file I/O error)" + in_save_me);
    EXPECT_EQ(contents(path), "earlier");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << "no temporary file left";
}
