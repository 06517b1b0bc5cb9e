#include "app/snippet.h"
#include "app/maker.h"
#include "tests/support/child_process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <limits>
#include <regex>
#include <sched.h>
#include <set>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using test_support::run_in_child;

namespace {

Tparams start_values()
{
    Tparams params;
    set_start_values(params);
    return params;
}

// Line `number` of `text`, counted from 1, without its CR LF.
std::string line_of(const std::string& text, int number)
{
    std::size_t start = 0;
    for (int i = 1; i < number; ++i)
        start = text.find("\r\n", start) + 2;
    return text.substr(start, text.find("\r\n", start) - start);
}

// The label of `field` and "=" in their zones, up to column 42.
std::string assigned(const std::string& field)
{
    std::string label = "\t\tparams." + field;
    label.resize(23, ' ');
    return label + std::string(5, ' ') + "=" + std::string(13, ' ');
}

} // namespace

TEST(SnippetText, StartValuesByteForByte)
{
    const std::string rule = "'' ================================================================\r\n";
    const std::string expected =
        rule + "'' SuperShape\r\n"
               "'' Made by Morvane\r\n"
               "'' Tarnock\r\n"
               "'' " + maker::web_address + "\r\n" + rule +
        "sub load_shape(byref shape as Nsupershape.Tsupershape ptr, byref params as Tparams)\r\n"
        "\r\n"
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
        "\r\n"
        "\t\tdelete shape\r\n"
        "\t\tshape = null\r\n"
        "\t\tshape = new Nsupershape.Tsupershape\r\n"
        "\t\tshape->reload(params.radius,params.slices,params.bands,_\r\n"
        "\t\t       \t\t  params.a,params.b,params.m,_\r\n"
        "\t\t       \t\t  params.n1,params.n2,params.n3)\r\n"
        "\t\tshape->scale(params.scale,params.scale,params.scale)\r\n"
        "\t\tshape->set_color(params.color(0),params.color(1),params.color(2),params.color(3))\r\n"
        "\r\n"
        "end sub\r\n";
    EXPECT_EQ(snippet_text(start_values()), expected);
}

// Seven significant digits, shortest form, a sign space for values >= 0;
// exponent form and non-numbers as the C runtime writes them. The value
// always starts at column 42, whatever its length.
TEST(SnippetText, SinglePrecisionNumbers)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const std::pair<float, const char*> cases[] = {
        {0.0f, " 0"},          {-0.0f, "-0"},
        {0.5f, " 0.5"},        {-1.0f, "-1"},
        {1.0f / 3, " 0.3333333"}, {4.0f / 3, " 1.333333"},
        {-2.25f, "-2.25"},     {0.0001f, " 0.0001"},
        {1e-5f, " 1e-05"},     {-1.5e-7f, "-1.5e-07"},
        {1234567.0f, " 1234567"}, {12345678.0f, " 1.234568e+07"},
        {9999999.5f, " 1e+07"}, {1e30f, " 1e+30"},
        {-1e30f, "-1e+30"},    {nan, " nan"},
        {-nan, "-nan"},        {infinity, " inf"},
        {-infinity, "-inf"},
    };
    for (const auto& [value, text] : cases) {
        Tparams params = start_values();
        params.n2 = value;
        params.scale = value;
        const std::string snippet = snippet_text(params);
        EXPECT_EQ(line_of(snippet, 13), assigned("n2") + text) << value;
        EXPECT_EQ(line_of(snippet, 18), assigned("scale") + text) << value;
    }
}

TEST(SnippetText, IntegersColourAndHistory)
{
    Tparams params = start_values();
    params.slices = 64;
    params.bands = -2147483647 - 1;
    params.color[1] = 0;
    params.color[2] = 0;
    params.rot_str += " xy";
    const std::string snippet = snippet_text(params);
    EXPECT_EQ(line_of(snippet, 16), assigned("slices") + " 64");
    EXPECT_EQ(line_of(snippet, 17), assigned("bands") + "-2147483648");
    EXPECT_EQ(line_of(snippet, 19), assigned("color") + " type(255,0,0,255)");
    EXPECT_EQ(line_of(snippet, 20), assigned("rot_str") + " \"rotations:  xy\"");
    EXPECT_EQ(line_of(snippet, 31), "end sub");
}

TEST(SnippetFileName, MonthDayYearThenTime)
{
    EXPECT_EQ(snippet_file_name({22, 30, 15}, {12, 5, 2026}), "shapes/shape_12-05-2026_22_30_15.bas");
    // Read across midnight: the old time with the new date.
    EXPECT_EQ(snippet_file_name({23, 59, 59}, {1, 1, 2027}), "shapes/shape_01-01-2027_23_59_59.bas");
    EXPECT_EQ(snippet_file_name({0, 0, 0}, {3, 9, 987}), "shapes/shape_03-09-0987_00_00_00.bas");
}

namespace {

const std::string file_not_found_report =
    "\r\nAborting due to runtime error 2 (file not found) in SUPERSHAPE::SAVE_ME()\r\n\r\n";
const std::string file_io_error_report =
    "\r\nAborting due to runtime error 3 (file I/O error) in SUPERSHAPE::SAVE_ME()\r\n\r\n";

std::string contents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::set<std::string> names_in(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// A scratch working folder with an empty shapes/, and small file systems
// mounted in this test process's own mount namespace, so that no mount can
// outlive it.
class SaveMe : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/snippet_test_XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
        shapes = folder + "/shapes";
        std::filesystem::create_directory(shapes);
    }

    void TearDown() override
    {
        if (mounted)
            umount2(shapes.c_str(), MNT_DETACH);
        std::filesystem::remove_all(folder);
    }

    void mount_tmpfs_on_shapes(unsigned long flags)
    {
        static const bool own_namespace =
            unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        ASSERT_TRUE(own_namespace) << "mounting a tmpfs needs root (CAP_SYS_ADMIN)";
        ASSERT_EQ(mount("tmpfs", shapes.c_str(), "tmpfs", flags, "size=64k"), 0);
        mounted = true;
    }

    std::string folder, shapes;
    bool mounted = false;
};

} // namespace

TEST_F(SaveMe, ReplacesAnEarlierFileWithTheWholeText)
{
    const std::string path = shapes + "/shape_12-05-2026_22_30_15.bas";
    std::ofstream(path) << "earlier";
    const Tparams params = start_values();
    EXPECT_EQ(run_in_child([&] { save_me(path, params); }).exit_status, 0);
    EXPECT_EQ(contents(path), snippet_text(params));
    EXPECT_EQ(names_in(shapes), std::set<std::string>{"shape_12-05-2026_22_30_15.bas"});

    // Not left private like a temporary file.
    const mode_t mask = umask(0);
    umask(mask);
    struct stat status{};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);
}

TEST_F(SaveMe, ButtonSavesUnderTheLocalTimeInShapes)
{
    Tparams params = start_values();
    const auto result = run_in_child([&] {
        if (chdir(folder.c_str()) == 0)
            savecb(&params);
    });
    EXPECT_EQ(result.exit_status, 0);
    const std::set<std::string> names = names_in(shapes);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(std::regex_match(*names.begin(), std::regex(R"(shape_\d\d-\d\d-\d{4}_\d\d_\d\d_\d\d\.bas)")))
        << *names.begin();
    EXPECT_EQ(contents(shapes + "/" + *names.begin()), snippet_text(params));
}

TEST_F(SaveMe, FileThatCannotBeCreatedIsError2)
{
    const Tparams params = start_values();
    const auto expect_error_2 = [&](const std::string& path, const std::string& situation) {
        const auto result = run_in_child([&] { save_me(path, params); });
        EXPECT_EQ(result.exit_status, 2) << situation;
        EXPECT_EQ(result.standard_error, file_not_found_report) << situation;
    };

    expect_error_2(folder + "/missing/shape.bas", "no such folder");
    EXPECT_EQ(names_in(folder), std::set<std::string>{"shapes"});

    std::filesystem::create_directory(shapes + "/taken.bas");
    expect_error_2(shapes + "/taken.bas", "a folder of that name");
    EXPECT_EQ(names_in(shapes), std::set<std::string>{"taken.bas"});
    std::filesystem::remove(shapes + "/taken.bas");

    mount_tmpfs_on_shapes(MS_RDONLY);
    expect_error_2(shapes + "/shape.bas", "read-only folder");
    EXPECT_TRUE(names_in(shapes).empty());
}

TEST_F(SaveMe, FullDiskIsError3AndKeepsTheEarlierFile)
{
    mount_tmpfs_on_shapes(0);
    const std::string path = shapes + "/shape.bas";
    std::ofstream(path) << "earlier";
    const int filler = open((shapes + "/filler").c_str(), O_WRONLY | O_CREAT, 0600);
    const std::string block(4096, 'x');
    while (write(filler, block.data(), block.size()) > 0) {
    }
    close(filler);

    const auto result = run_in_child([&] { save_me(path, start_values()); });
    EXPECT_EQ(result.exit_status, 3);
    EXPECT_EQ(result.standard_error, file_io_error_report);
    EXPECT_EQ(contents(path), "earlier");
    EXPECT_EQ(names_in(shapes), (std::set<std::string>{"filler", "shape.bas"}));
}
