// shapetool as a user runs it, without a display: exit statuses, files present or absent, and what they hold.
#include "params/Tparams.h"
#include "snippet/snippet.h"
#include "tests/support/child_process.h"
#include "tool/progress.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// Status 1 for bad usage, 2 for bad inputs, which a batch goes on past, and 3 for an output that cannot be written.
TEST(Shapetool, ExitStatusesFilesWrittenAndTheMeshInfoAndExportAgreeOn)
{
    // flower.bas, one_row.bas (refused by the mesh), empty.bas (refused by the reader) and an empty folder out/.
    const fs::path folder = fs::temp_directory_path() / ("shapetool_test." + std::to_string(getpid()));
    const std::shared_ptr<void> removed_at_exit(nullptr, [&](void*) { fs::remove_all(folder); });
    fs::create_directories(folder / "out");
    Tparams params;
    set_start_values(params);
    params.m = 6, params.n1 = 0.5f, params.slices = 30, params.bands = 40;
    std::ofstream(folder / "flower.bas", std::ios::binary) << snippet::text(params);
    params.slices = 1;
    std::ofstream(folder / "one_row.bas", std::ios::binary) << snippet::text(params);
    std::ofstream(folder / "empty.bas");
    const auto run = [&](const Names& args) { return test_support::run_program(SHAPETOOL_EXECUTABLE, args, folder); };
    const auto outputs = [&] { return std::distance(fs::directory_iterator(folder / "out"), {}); };

    const Names refused[] = {
        {}, {"export", "flower.bas"}, {"export", "flower.bas", "-o", "out/x.xyz"},
        {"export", "flower.bas", "empty.bas", "-o", "out/x.stl"}, {"export", "flower.bas", "--outdir", "out"},
        {"export", "flower.bas", "--outdir", "out", "--format", "dwg"}, {"export", "-o", "out/x.stl"},
        {"export", "flower.bas", "flower.bas", "--outdir", "out", "--format", "stl"},
        {"export", "--slices", "0", "-o", "out/x.stl"}, {"export", "--bands", "ten", "-o", "out/x.stl"},
        {"export", "--a", "nan", "-o", "out/x.stl"}, {"export", "--m", "1e39", "-o", "out/x.stl"},
        {"export", "--color", "255,0,256", "-o", "out/x.stl"}, {"info", "--frobnicate", "flower.bas"},
    };
    for (const Names& arguments : refused) {
        const auto result = run(arguments);
        EXPECT_TRUE(result.exit_status == 1 && result.standard_error.find("--help") != std::string::npos)
            << &arguments - refused << ": " << result.standard_error;
    }
    EXPECT_EQ(outputs(), 0);
    for (const Names& asked : {Names{"--version"}, {"--help"}, {"info", "--help"}, {"export", "--help"}}) {
        const auto result = run(asked);
        EXPECT_TRUE(result.exit_status == 0 && !result.standard_output.empty()) << asked.back();
    }

    const auto batch =
        run({"export", "empty.bas", "flower.bas", "missing.bas", "one_row.bas", "--outdir", "out", "--format", "ply"});
    EXPECT_TRUE(batch.exit_status == 2 && outputs() == 1 && fs::exists(folder / "out/flower.ply"));
    // Not a terminal: one line per file, in order, each naming its file.
    const std::regex lines("empty.bas:1: .*\nflower.bas -> out/flower.ply.*\n"
                           "missing.bas: .*\none_row.bas: cannot mesh.*\n");
    EXPECT_TRUE(std::regex_match(batch.standard_error, lines)) << batch.standard_error;
    std::ofstream(folder / "out/older.stl") << "older";
    fs::create_directory(folder / "out/folder.stl");
    for (const char* target : {"out/missing/x.stl", "out/folder.stl"}) {
        const auto result = run({"export", "flower.bas", "-o", target});
        EXPECT_TRUE(result.exit_status == 3 && result.standard_error.find(target) != std::string::npos) << target;
    }
    EXPECT_EQ(outputs(), 3) << "flower.ply, folder.stl and older.stl";
    EXPECT_TRUE(run({"export", "flower.bas", "-o", "out/older.stl"}).exit_status == 0 &&
                fs::file_size(folder / "out/older.stl") != 5u) << "a good export replaces the older file";

    const auto info = run({"info", "--json", "flower.bas", "--m", "5", "--slices", "20"});
    ASSERT_EQ(info.exit_status, 0) << info.standard_error;
    const nlohmann::json report = nlohmann::json::parse(info.standard_output), &flower = report.at(0);
    const nlohmann::json& read = flower["parameters"];
    EXPECT_TRUE(read["m"] == 5.0 && read["n1"] == 0.5 && read["slices"] == 20 && read["bands"] == 40) << read;
    // Two poles, the other rows with their seam welded.
    EXPECT_TRUE(report.size() == 1 && flower["closed"] && flower["volume"] > 0.0 && flower["vertices"] == 2 + 19 * 40)
        << report;
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
    shapetool::Progress progress(terminal, true, 2);
    progress.done("a.bas -> a.stl", false);
    progress.done("b.bas:3: expected a number", true);
    const std::string shown = terminal.str();
    EXPECT_TRUE(shown.find("] 1/2") != shown.npos && shown.find("left") != shown.npos &&
                shown.find("a.bas") == shown.npos && shown.find("b.bas:3: expected a number\n") != shown.npos) << shown;
    EXPECT_EQ(shapetool::minutes_and_seconds(65.4), "1:05");
}
