// shapetool as a user runs it, without a display: exit statuses, files
// present or absent, and what the outputs hold.
#include "app/Tparams.h"
#include "snippet/snippet.h"
#include "tests/support/child_process.h"
#include "tool/progress.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using test_support::Child_result;
using Names = std::vector<std::string>;

namespace {

// A scratch folder with flower.bas, one_row.bas (refused by the mesh),
// empty.bas (refused by the reader) and an empty folder out/.
class Shapetool : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(folder / "out");
        Tparams flower;
        set_start_values(flower);
        flower.m = 6, flower.n1 = 0.5f, flower.slices = 30, flower.bands = 40;
        std::ofstream(folder / "flower.bas", std::ios::binary) << snippet::text(flower);
        flower.slices = 1;
        std::ofstream(folder / "one_row.bas", std::ios::binary) << snippet::text(flower);
        std::ofstream(folder / "empty.bas");
    }
    void TearDown() override { fs::remove_all(folder); }

    Child_result run(const Names& arguments) { return test_support::run_program(SHAPETOOL_EXECUTABLE, arguments, folder); }
    long outputs() const { return std::distance(fs::directory_iterator(folder / "out"), {}); }

    const fs::path folder = fs::temp_directory_path() / ("shapetool_test." + std::to_string(getpid()));
};

} // namespace

TEST_F(Shapetool, RefusesBadUsageWithStatus1AndWritesNothing)
{
    const Names refused[] = {
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
    for (const Names& arguments : refused) {
        const Child_result result = run(arguments);
        EXPECT_EQ(result.exit_status, 1) << &arguments - refused;
        EXPECT_NE(result.standard_error.find("--help"), std::string::npos) << &arguments - refused;
    }
    EXPECT_EQ(outputs(), 0);
    for (const Names& asked : {Names{"--version"}, {"--help"}, {"info", "--help"}, {"export", "--help"}}) {
        const Child_result result = run(asked);
        EXPECT_TRUE(result.exit_status == 0 && !result.standard_output.empty()) << asked.back();
    }
}

// Status 2 for bad inputs, which a batch goes on past, and 3 for an output
// that cannot be written, which leaves the older files as they were.
TEST_F(Shapetool, ABatchGoesOnPastBadFilesAndOutputsThatCannotBeWritten)
{
    const Child_result batch =
        run({"export", "empty.bas", "flower.bas", "missing.bas", "one_row.bas", "--outdir", "out", "--format", "ply"});
    EXPECT_EQ(batch.exit_status, 2);
    EXPECT_TRUE(outputs() == 1 && fs::exists(folder / "out/flower.ply"));
    // Not a terminal: one line per file, in order, each naming its file.
    std::istringstream lines(batch.standard_error);
    for (const char* name : {"empty.bas:1: ", "flower.bas -> out/flower.ply", "missing.bas: ", "one_row.bas: cannot mesh"}) {
        std::string line;
        std::getline(lines, line);
        EXPECT_EQ(line.rfind(name, 0), 0u) << line;
    }
    std::ofstream(folder / "out/older.stl") << "older";
    fs::create_directory(folder / "out/folder.stl");
    for (const char* target : {"out/missing/x.stl", "out/folder.stl"}) {
        const Child_result result = run({"export", "flower.bas", "-o", target});
        EXPECT_EQ(result.exit_status, 3) << target;
        EXPECT_NE(result.standard_error.find(target), std::string::npos);
    }
    EXPECT_EQ(outputs(), 3) << "flower.ply, folder.stl and older.stl";
    EXPECT_EQ(run({"export", "flower.bas", "-o", "out/older.stl"}).exit_status, 0);
    EXPECT_NE(fs::file_size(folder / "out/older.stl"), 5u) << "a good export replaces the older file";
}

TEST_F(Shapetool, InfoAndExportAgreeOnTheClosedMeshOfAFileOrOfFlags)
{
    const Child_result info = run({"info", "--json", "flower.bas", "--m", "5", "--slices", "20"});
    ASSERT_EQ(info.exit_status, 0) << info.standard_error;
    const nlohmann::json report = nlohmann::json::parse(info.standard_output);
    ASSERT_EQ(report.size(), 1u);
    const nlohmann::json& flower = report[0];
    const nlohmann::json& read = flower["parameters"];
    EXPECT_TRUE(read["m"] == 5.0 && read["n1"] == 0.5 && read["slices"] == 20 && read["bands"] == 40) << read;
    EXPECT_TRUE(flower["closed"] && flower["volume"] > 0.0) << flower;
    // Two poles, the other rows with their seam welded.
    EXPECT_EQ(flower["vertices"], 2 + 19 * 40);
    ASSERT_EQ(run({"export", "flower.bas", "--m", "5", "--slices", "20", "-o", "out/f.stl"}).exit_status, 0);
    EXPECT_EQ(fs::file_size(folder / "out/f.stl"), 84 + 50 * flower["triangles"].get<std::size_t>());

    // Flags alone start from the editor's start values.
    const nlohmann::json defaults = nlohmann::json::parse(run({"info", "--json", "--radius", "2"}).standard_output)[0];
    EXPECT_TRUE(defaults["parameters"]["m"] == 4.0 && defaults["parameters"]["radius"] == 2.0) << defaults;
    EXPECT_EQ(defaults["triangles"], 2 * 8 * 7);
}

// On a terminal only failures stay above a bar with the count and the time left.
TEST(Progress, ATerminalGetsABarWithCountAndTimeLeftAndKeepsOnlyFailures)
{
    std::ostringstream terminal;
    {
        shapetool::Progress progress(terminal, true, 2);
        progress.done("a.bas -> a.stl", false);
        progress.done("b.bas:3: expected a number", true);
    }
    const std::string shown = terminal.str();
    EXPECT_TRUE(shown.find("] 1/2") != shown.npos && shown.find("left") != shown.npos) << shown;
    EXPECT_TRUE(shown.find("a.bas") == shown.npos && shown.find("b.bas:3: expected a number\n") != shown.npos);
    EXPECT_EQ(shapetool::minutes_and_seconds(65.4), "1:05");
}
