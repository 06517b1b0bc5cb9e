// shapetool as a user runs it, without a display: exit statuses, files
// present or absent, and what the outputs hold.
#include "app/Tparams.h"
#include "snippet/snippet.h"
#include "tests/support/child_process.h"
#include "tool/progress.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using test_support::Child_result;

namespace {

Child_result run_tool(const std::string& folder, const std::vector<std::string>& arguments)
{
    return test_support::run_program(SHAPETOOL_EXECUTABLE, arguments, folder);
}

std::string contents(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

std::vector<std::string> files_in(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class Shapetool : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("shapetool_test." + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "out");
        Tparams flower;
        set_start_values(flower);
        flower.m = 6;
        flower.n1 = 0.5f;
        flower.slices = 30;
        flower.bands = 40;
        std::ofstream(folder / "flower.bas", std::ios::binary) << snippet::text(flower);
        flower.slices = 1;
        std::ofstream(folder / "one_row.bas", std::ios::binary) << snippet::text(flower);
        std::ofstream(folder / "empty.bas");
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
};

} // namespace

TEST_F(Shapetool, RefusesBadUsageWithStatus1AndWritesNothing)
{
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"export", "flower.bas"},
        {"export", "flower.bas", "-o", "out/x.xyz"},
        {"export", "flower.bas", "empty.bas", "-o", "out/x.stl"},
        {"export", "flower.bas", "--outdir", "out"},
        {"export", "flower.bas", "--outdir", "out", "--format", "dwg"},
        {"export", "flower.bas", "flower.bas", "--outdir", "out", "--format", "stl"},
        {"export", "-o", "out/x.stl"},
        {"export", "--slices", "0", "-o", "out/x.stl"},
        {"export", "--bands", "ten", "-o", "out/x.stl"},
        {"export", "--a", "nan", "-o", "out/x.stl"},
        {"export", "--m", "1e39", "-o", "out/x.stl"},
        {"export", "--color", "255,0,256", "-o", "out/x.stl"},
        {"info", "--frobnicate", "flower.bas"},
    };
    for (const auto& arguments : refused) {
        const Child_result run = run_tool(folder, arguments);
        std::string line;
        for (const std::string& argument : arguments)
            line += argument + " ";
        EXPECT_EQ(run.exit_status, 1) << line;
        EXPECT_NE(run.standard_error.find("--help"), std::string::npos) << line;
    }
    EXPECT_TRUE(files_in(folder / "out").empty());

    for (const std::vector<std::string>& asked : {std::vector<std::string>{"--version"}, {"--help"},
                                                  {"info", "--help"}, {"export", "--help"}}) {
        const Child_result run = run_tool(folder, asked);
        EXPECT_EQ(run.exit_status, 0);
        EXPECT_FALSE(run.standard_output.empty());
    }
}

TEST_F(Shapetool, ABatchGoesOnPastBadFilesAndEndsWith2)
{
    const Child_result run = run_tool(
        folder, {"export", "empty.bas", "flower.bas", "missing.bas", "one_row.bas", "--outdir", "out", "--format", "ply"});
    EXPECT_EQ(run.exit_status, 2);
    EXPECT_EQ(files_in(folder / "out"), std::vector<std::string>{"flower.ply"});
    // Not a terminal: one line per file, in order, each naming its file.
    std::istringstream lines(run.standard_error);
    for (const char* name : {"empty.bas:1: ", "flower.bas -> out/flower.ply", "missing.bas: ", "one_row.bas: cannot mesh"}) {
        std::string line;
        std::getline(lines, line);
        EXPECT_EQ(line.rfind(name, 0), 0u) << line;
    }
}

TEST_F(Shapetool, AnOutputThatCannotBeWrittenEndsWith3AndKeepsTheOlderFile)
{
    std::ofstream(folder / "out/older.stl") << "older";
    fs::create_directory(folder / "out/folder.stl");
    for (const char* target : {"out/missing/x.stl", "out/folder.stl"}) {
        const Child_result run = run_tool(folder, {"export", "flower.bas", "-o", target});
        EXPECT_EQ(run.exit_status, 3) << target;
        EXPECT_NE(run.standard_error.find(target), std::string::npos);
    }
    EXPECT_EQ(files_in(folder / "out"), (std::vector<std::string>{"folder.stl", "older.stl"}));

    // A good export replaces the older file whole.
    EXPECT_EQ(run_tool(folder, {"export", "flower.bas", "-o", "out/older.stl"}).exit_status, 0);
    EXPECT_EQ(files_in(folder / "out"), (std::vector<std::string>{"folder.stl", "older.stl"}));
}

TEST_F(Shapetool, InfoAndExportAgreeOnTheClosedMeshOfAFileOrOfFlags)
{
    const Child_result info = run_tool(folder, {"info", "--json", "flower.bas", "--m", "5", "--slices", "20"});
    ASSERT_EQ(info.exit_status, 0) << info.standard_error;
    const nlohmann::json report = nlohmann::json::parse(info.standard_output);
    ASSERT_EQ(report.size(), 1u);
    const nlohmann::json& flower = report[0];
    EXPECT_EQ(flower["parameters"]["m"], 5.0);
    EXPECT_EQ(flower["parameters"]["n1"], 0.5);
    EXPECT_EQ(flower["parameters"]["slices"], 20);
    EXPECT_EQ(flower["parameters"]["bands"], 40);
    EXPECT_TRUE(flower["closed"]);
    EXPECT_GT(flower["volume"], 0.0);
    // Two poles, the other rows with their seam welded.
    EXPECT_EQ(flower["vertices"], 2 + 19 * 40);

    ASSERT_EQ(run_tool(folder, {"export", "flower.bas", "--m", "5", "--slices", "20", "-o", "out/f.stl"}).exit_status, 0);
    const std::string stl = contents(folder / "out/f.stl");
    std::uint32_t triangles = 0;
    std::memcpy(&triangles, stl.data() + 80, sizeof triangles);
    EXPECT_EQ(triangles, flower["triangles"]);
    EXPECT_EQ(stl.size(), 84 + 50 * std::size_t{triangles});

    // Flags alone start from the editor's start values.
    const Child_result by_flags = run_tool(folder, {"info", "--json", "--radius", "2"});
    const nlohmann::json defaults = nlohmann::json::parse(by_flags.standard_output)[0];
    EXPECT_EQ(defaults["parameters"]["m"], 4.0);
    EXPECT_EQ(defaults["parameters"]["radius"], 2.0);
    EXPECT_EQ(defaults["triangles"], 2 * 8 * 7);
}

TEST(Progress, ATerminalGetsABarWithCountAndTimeLeftAndKeepsOnlyFailures)
{
    std::ostringstream terminal;
    {
        shapetool::Progress progress(terminal, true, 2);
        progress.done("a.bas -> a.stl", false);
        progress.done("b.bas:3: expected a number", true);
    }
    const std::string shown = terminal.str();
    EXPECT_NE(shown.find("] 1/2"), std::string::npos);
    EXPECT_NE(shown.find("left"), std::string::npos);
    EXPECT_EQ(shown.find("a.bas"), std::string::npos);
    EXPECT_NE(shown.find("b.bas:3: expected a number\n"), std::string::npos);
    EXPECT_EQ(shapetool::minutes_and_seconds(65.4), "1:05");
}
