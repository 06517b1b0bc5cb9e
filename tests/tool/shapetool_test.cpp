// shapetool as a user runs it, without a display: exit statuses, one-line messages, files present or absent and
// what they hold, pipes, and signals in the middle of a write.
#include "mesh/formats.h"
#include "mesh/statistics.h"
#include "params/Tparams.h"
#include "snippet/snippet.h"
#include "tests/support/child_process.h"
#include "tests/support/outside_readers.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {

class Shapetool : public ::testing::Test {
protected:
    const test_support::Scratch_folder scratch{"shapetool_test"};
    const fs::path folder = scratch.path();
    void SetUp() override { fs::create_directories(folder / "out"); }

    auto run(const Names& arguments) const
    {
        return test_support::run_program(SHAPETOOL_EXECUTABLE, arguments, folder);
    }
    // A shell command line in which "shapetool" is the program under test; a hang fails after 20 seconds.
    test_support::Child_result shell(const std::string& command) const
    {
        const std::string line = std::regex_replace(command, std::regex("shapetool"), SHAPETOOL_EXECUTABLE);
        return test_support::run_program("/usr/bin/timeout", {"20", "/bin/sh", "-c", line}, folder);
    }
    void save(const std::string& name, const Tparams& params) const
    {
        std::ofstream(folder / name) << snippet::text(params);
    }
    std::size_t files(const std::string& in) const { return std::size_t(test_support::entries(folder / in)); }
};

} // namespace

// Status 1 for bad usage, 2 for bad inputs, which a batch goes on past, and 3 for an output that cannot be written;
// every message one line, an error's "shapetool: PATH: what is wrong".
TEST_F(Shapetool, ExitStatusesOneLineMessagesAndTheFilesWritten)
{
    Tparams params;
    set_start_values(params);
    params.m = 6, params.n1 = 0.5f, params.slices = 30, params.bands = 40;
    save("flower.bas", params);
    params.slices = 1;
    save("one_row.bas", params);
    std::ofstream(folder / "empty.bas");
    ASSERT_EQ(mkfifo((folder / "fifo.bas").c_str(), 0600), 0);

    std::ifstream usage_errors(SOURCE_DIR "/tests/tool/usage_errors.txt");
    const std::regex one_usage_line("shapetool: [^\n]+\n");
    int tried = 0;
    for (std::string line; std::getline(usage_errors, line); tried += line[0] != '#') {
        const auto result = shell("shapetool " + (line == "(no command)" ? "" : line));
        EXPECT_TRUE(line[0] == '#' ||
                    (result.exit_status == 1 && std::regex_match(result.standard_error, one_usage_line)))
            << line << ": " << result.standard_error;
    }
    EXPECT_EQ(std::pair(tried, files("out")), std::pair(20, std::size_t(0)));
    // A batch goes on past each bad input, a FIFO too, and makes the folder it writes into.
    const auto batch = shell("shapetool export empty.bas flower.bas missing.bas one_row.bas fifo.bas --outdir "
                             "out/deep/er --format ply");
    EXPECT_TRUE(batch.exit_status == 2 && files("out/deep/er") == 1 && fs::exists(folder / "out/deep/er/flower.ply"));
    const std::regex lines("shapetool: empty.bas:1: .*\nflower.bas -> out/deep/er/flower.ply: 2,320 triangles\n"
                           "shapetool: missing.bas: cannot read: .*\nshapetool: one_row.bas: cannot mesh: .*\n"
                           "shapetool: fifo.bas: expected a snippet file, found a FIFO\n");
    EXPECT_TRUE(std::regex_match(batch.standard_error, lines)) << batch.standard_error;
    // A folder stands for its snippets, whatever the case of their extension.
    fs::create_directory(folder / "upper");
    fs::copy_file(folder / "flower.bas", folder / "upper/A.BAS");
    EXPECT_EQ(run({"info", "upper"}).standard_output.rfind("upper/A.BAS\n", 0), 0u);

    std::ofstream(folder / "out/older.stl") << "older";
    fs::create_directory(folder / "out/folder.stl");
    for (const char* target : {"out/missing/x.stl", "out/folder.stl"}) {
        const auto result = run({"export", "flower.bas", "-o", target});
        EXPECT_TRUE(result.exit_status == 3 &&
                    result.standard_error.rfind("shapetool: " + std::string(target) + ": cannot create: ", 0) == 0)
            << result.standard_error;
    }
    EXPECT_EQ(files("out"), 3u) << "deep, older.stl and folder.stl";
    EXPECT_TRUE(run({"export", "flower.bas", "-o", "out/older.stl"}).exit_status == 0 &&
                fs::file_size(folder / "out/older.stl") != 5u)
        << "a good export replaces the older file";
    // What a format cannot hold is refused with the reason, not as a failed write.
    const auto tiny = run({"export", "flower.bas", "--scale", "1e-9", "-o", "out/tiny.3mf"});
    EXPECT_EQ(std::pair(tiny.exit_status, tiny.standard_error),
              std::pair(2, std::string("shapetool: out/tiny.3mf: too small for 3MF: its six decimals would merge "
                                       "corners even in microns\n")));
    // A gallery of nothing readable keeps the sheet that was there.
    std::ofstream(folder / "out/g.png") << "good";
    EXPECT_EQ(run({"gallery", "empty.bas", "-o", "out/g.png"}).exit_status, 2);
    EXPECT_EQ(fs::file_size(folder / "out/g.png"), 4u);

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

    // Standard input and output; a failed write to standard output is an output failure.
    EXPECT_EQ(shell("shapetool export - -q --format stl -o - < flower.bas > out/piped.stl").exit_status, 0);
    EXPECT_EQ(fs::file_size(folder / "out/piped.stl"), 84 + 50 * 2320u);
    EXPECT_EQ(shell("shapetool info flower.bas > /dev/full").exit_status, 3);
    // The reason is the system's, even where the stream forgot it; an ignored SIGPIPE makes a closed pipe an error.
    for (const auto& [command, reason] :
         {std::pair("shapetool --version > /dev/full", "No space left on device"),
          {"(trap '' PIPE; sleep 1; exec shapetool info --json flower.bas) | true", "Broken pipe"}})
        EXPECT_EQ(shell(command).standard_error,
                  "shapetool: standard output: cannot write: " + std::string(reason) + "\n");
}

// Each format as its readers take it, by default and with the other --up: the editor's +Y on the file's up axis,
// facing outwards (a mirror turns a solid inside out), --fit millimetres on the largest side in the format's own
// unit, and opaque unless the colour's alpha says otherwise. The Khronos glTF validator (the test command
// installs it) finds no error or warning in these glb files, nor in a raw grid or a tiny shape.
TEST_F(Shapetool, EveryFormatStandsOnItsUpAxisFacesOutwardsFitsInItsUnitAndIsValid)
{
    // Readers take Y or Z for up, millimetres or metres.
    const auto expected = [](mesh::Format format) {
        switch (format) {
        case mesh::Format::stl: return std::pair('z', 1.0);
        case mesh::Format::obj: return std::pair('y', 1.0);
        case mesh::Format::ply: return std::pair('z', 1.0);
        case mesh::Format::glb: return std::pair('y', 1000.0);
        case mesh::Format::threemf: return std::pair('z', 1.0);
        }
        return std::pair('?', 0.0);
    };
    for (const mesh::Format_row& row : mesh::formats)
        for (const bool other : {false, true}) {
            const auto [default_up, millimetres] = expected(row.format);
            const char up = other ? 'y' + 'z' - default_up : default_up;
            const std::string output = "out/f" + std::string(other ? "_other." : ".") + row.extension;
            // 2 x 1.73 x 1.54 in the editor: its y is the up axis' extent.
            ASSERT_EQ(shell("shapetool export --m 6 --n1 0.5 --slices 30 --bands 40 --fit 40 --color 10,200,30" +
                            (other ? std::string(",100 --up ") + up : "") + " -q -o " + output)
                          .exit_status,
                      0);
            const auto found = test_support::read_mesh_file(row.format, (folder / output).string());
            SCOPED_TRACE(output + " up " + up);
            const mesh::Mesh_statistics read = mesh::measure(
                {found.positions.data(), found.positions.size(), found.triangles.data(), found.triangles.size()});
            const double x = read.box.max.x - read.box.min.x,
                         height = up == 'y' ? read.box.max.y - read.box.min.y : read.box.max.z - read.box.min.z;
            EXPECT_NEAR(x * found.millimetres_per_unit * millimetres, 40, 1e-3);
            EXPECT_NEAR(height / x, 1.7320508 / 1.9999931, 1e-5);
            EXPECT_GT(read.integrals.volume, 0);
            EXPECT_EQ(found.colour[3], row.format == mesh::Format::stl ? -1 : other ? 100 : 255);
        }
    const fs::path modules = GLTF_VALIDATOR_MODULES;
    if (!fs::exists(modules / "gltf-validator"))
        GTEST_SKIP() << "no glTF validator in " << modules << " (scripts/test.sh installs it)";
    ASSERT_EQ(shell("shapetool export -q --raw --slices 2 -o out/raw.glb && "
                    "shapetool export -q --scale 1e-6 --slices 99 --bands 3 -o out/tiny.glb")
                  .exit_status,
              0);
    const auto validated =
        shell("GLTF_VALIDATOR_MODULES=" + modules.string() + " node " SOURCE_DIR "/tests/tool/validate_gltf.js " +
              "out/f.glb out/f_other.glb out/raw.glb out/tiny.glb");
    EXPECT_EQ(validated.exit_status, 0) << validated.standard_output << validated.standard_error;
}

// Interrupted in the middle of a long write, shapetool leaves nothing behind and ends with 128 + the signal.
TEST_F(Shapetool, AnInterruptedExportLeavesNoTemporary)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t child = fork();
        if (child == 0) {
            const std::string output = (folder / "out/big.3mf").string();
            execl(SHAPETOOL_EXECUTABLE, SHAPETOOL_EXECUTABLE, "export", "--slices", "999", "--bands", "999", "-o",
                  output.c_str(), "-q", nullptr);
            _exit(127);
        }
        for (int tries = 0; files("out") == 0 && tries < 3000; ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        kill(child, signal);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal) << signal;
        EXPECT_EQ(files("out"), 0u) << signal;
    }
}
