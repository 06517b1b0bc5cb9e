// shapetool as a user runs it, without a display: exit statuses, one-line messages, files present or absent and
// what they hold, pipes, and signals in the middle of a write.
#include "explore/random.h"
#include "export/formats.h"
#include "mesh/closed_mesh.h"
#include "mesh/statistics.h"
#include "params/Tparams.h"
#include "snippet/snippet.h"
#include "tests/support/child_process.h"
#include "tests/support/format_expectations.h"
#include "tests/support/outside_readers.h"
#include "tests/support/scratch_folder.h"
#include "tool/command_line.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
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
    // flower.bas (30 x 40), one_row.bas, which cannot be meshed, an empty empty.bas and a FIFO fifo.bas; flower.bas
    // again as the hard link same.png and the symbolic links same.mtl and fr/frame_0002.png.
    void SetUp() override
    {
        fs::create_directories(folder / "out");
        Tparams params;
        set_start_values(params);
        params.m = 6, params.n1 = 0.5f, params.slices = 30, params.bands = 40;
        std::ofstream(folder / "flower.bas") << snippet::text(params);
        params.slices = 1;
        std::ofstream(folder / "one_row.bas") << snippet::text(params);
        std::ofstream(folder / "empty.bas");
        ASSERT_EQ(mkfifo((folder / "fifo.bas").c_str(), 0600), 0);
        fs::create_hard_link(folder / "flower.bas", folder / "same.png");
        fs::create_symlink("flower.bas", folder / "same.mtl");
        fs::create_directory(folder / "fr");
        fs::create_symlink("../flower.bas", folder / "fr/frame_0002.png");
    }

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
    std::size_t files(const std::string& in) const { return std::size_t(test_support::entries(folder / in)); }
    int status(const std::string& command) const { return shell(command).exit_status; }
    int status(const Names& arguments) const { return run(arguments).exit_status; }
    std::string text(const std::string& name) const { return test_support::file_text(folder / name); }
    nlohmann::json report(const Names& arguments) const
    {
        return nlohmann::json::parse(run(arguments).standard_output);
    }
    // The exit status and standard error.
    std::pair<int, std::string> outcome(const Names& arguments) const
    {
        const auto result = run(arguments);
        return {result.exit_status, result.standard_error};
    }
};

} // namespace

TEST_F(Shapetool, UsageErrorsAreOneLineWithStatusOneAndWriteNothing)
{
    std::ifstream usage_errors(SOURCE_DIR "/tests/tool/usage_errors.txt");
    // In the program's words, not the library's.
    const std::regex one_usage_line("shapetool: (?!.*required but received)[^\n]+\n");
    int tried = 0;
    for (std::string line; std::getline(usage_errors, line);) {
        if (line[0] == '#')
            continue;
        ++tried;
        const auto result = shell("shapetool " + (line == "(no command)" ? "" : line));
        EXPECT_EQ(result.exit_status, 1) << line;
        EXPECT_TRUE(std::regex_match(result.standard_error, one_usage_line)) << line << ": " << result.standard_error;
    }
    EXPECT_EQ(tried, 63);
    EXPECT_EQ(files("out"), 0u);
}

// The help, which the manual page and the completion read back: within 79 columns, in its own words, the flags with
// their values' names, the exit statuses in the top help alone.
TEST_F(Shapetool, EveryHelpIsWithin79ColumnsInItsOwnWords)
{
    std::vector<Names> asked{{"--help"}};
    for (const std::string& command : shapetool::command_names())
        asked.push_back({command, "--help"});
    for (const Names& arguments : asked) {
        const std::string help = run(arguments).standard_output;
        std::smatch wrong;
        EXPECT_FALSE(std::regex_search(help, wrong, std::regex("[^\n]{80}|TEXT|REQUIRED|Excludes"))) << wrong.str();
        EXPECT_EQ(help.find("\nExit statuses:\n") != std::string::npos, arguments.size() == 1) << arguments[0];
    }
    EXPECT_NE(run({"export", "--help"}).standard_output.find("\n  -o,--output FILE "), std::string::npos);
}

// A batch goes on past each bad input, a FIFO too, makes the folder it writes into, and ends with status 2; a file
// that slicers print at the shape's own size says how large that is, in the file's axes.
TEST_F(Shapetool, ABatchGoesOnPastEachBadInputAndSaysWhy)
{
    const auto batch = shell("shapetool export empty.bas flower.bas missing.bas one_row.bas fifo.bas --outdir "
                             "out/deep/er --format ply");
    EXPECT_EQ(batch.exit_status, 2);
    EXPECT_EQ(test_support::entries(folder / "out/deep/er"), 1);
    EXPECT_TRUE(fs::exists(folder / "out/deep/er/flower.ply"));
    const std::regex lines(
        "shapetool: empty.bas:1: .*\nflower.bas -> out/deep/er/flower.ply: 2,320 triangles; stands on 0.1 mm²\n"
        "out/deep/er/flower.ply prints 2 x 1.5 x 1.7 mm; --fit MM sets its largest side\n"
        "shapetool: missing.bas: cannot read: .*\nshapetool: one_row.bas: cannot mesh: .*\n"
        "shapetool: fifo.bas: expected a snippet file, found a FIFO\n");
    EXPECT_TRUE(std::regex_match(batch.standard_error, lines)) << batch.standard_error;
}

// A folder stands for its snippets, whatever the case of their extension; a link that loops is no snippet, and
// does not make its folder unreadable.
TEST_F(Shapetool, AFolderStandsForItsSnippets)
{
    fs::create_directory(folder / "upper");
    fs::copy_file(folder / "flower.bas", folder / "upper/A.BAS");
    EXPECT_EQ(run({"info", "upper"}).standard_output.rfind("upper/A.BAS\n", 0), 0u);
    fs::create_directory(folder / "loop");
    fs::create_symlink("loop.bas", folder / "loop/loop.bas");
    EXPECT_EQ(run({"info", "loop"}).standard_error, "shapetool: loop: no .bas files in this folder\n");
}

// An output that cannot be made is found before a renderer starts, which none can here; a folder made for frames
// that are then not drawn goes again.
TEST_F(Shapetool, AnOutputThatCannotBeMadeIsStatus3)
{
    const std::string no_renderer = "__EGL_VENDOR_LIBRARY_FILENAMES=/dev/null shapetool ";
    for (const auto& [command, target] : {std::pair("export", "out/missing/x.stl"),
                                          {"animate", "out/missing/x.webp"},
                                          {"render", "out/missing/x.png"},
                                          {"gallery", "out/missing/x.png"}}) {
        const auto result = shell(no_renderer + command + " flower.bas -o " + target);
        EXPECT_EQ(result.exit_status, 3) << command;
        EXPECT_EQ(result.standard_error.rfind("shapetool: " + std::string(target) + ": cannot create: ", 0), 0u)
            << result.standard_error;
    }
    EXPECT_EQ(status(no_renderer + "animate flower.bas --frames-dir out/new/frames"), 3);
    EXPECT_FALSE(fs::exists(folder / "out/new"));
    fs::create_symlink("nowhere", folder / "out/dangling");
    EXPECT_EQ(outcome({"export", "flower.bas", "--outdir", "out/dangling", "--format", "stl"}),
              std::pair(3, std::string("shapetool: out/dangling: cannot create: a dangling symbolic link\n")));
}

// An animation writes nothing for a snippet among its shapes that cannot be read, or a frame that cannot be meshed.
TEST_F(Shapetool, AnAnimationOfABadShapeWritesNothing)
{
    for (const auto& [shapes, refusal] :
         {std::pair("flower.bas empty.bas", "empty.bas:1: "),
          {"flower.bas one_row.bas --frames 5 --frames-dir out/f", "one_row.bas: cannot mesh: "},
          {"flower.bas --torus 2 --twist 30", "flower.bas: a ring takes no twist: torus 2 with twist 30; set one of "
                                              "them to 0\n"},
          {SOURCE_DIR "/examples/donut.bas flower.bas",
           "flower.bas: a morph between a ring and a ball: " SOURCE_DIR "/examples/donut.bas is a ring (torus 1.5), "
           "flower.bas a ball; morph rings into rings and balls into balls\n"}}) {
        const auto result = shell("shapetool animate -q -o out/a.gif " + std::string(shapes));
        EXPECT_EQ(result.exit_status, 2) << shapes;
        EXPECT_EQ(result.standard_error.rfind("shapetool: " + std::string(refusal), 0), 0u) << result.standard_error;
    }
    EXPECT_EQ(files("out"), 0u);
}

// What a format cannot hold is refused with the reason, not as a failed write; so is a fit that single precision
// cannot hold, in millimetres and in metres, like a shape without area.
TEST_F(Shapetool, WhatAFormatCannotHoldIsRefusedWithTheReason)
{
    EXPECT_EQ(outcome({"export", "flower.bas", "--torus", "0.4", "-o", "out/ring.stl"}),
              std::pair(2, std::string("shapetool: flower.bas: cannot mesh: the ring's tube crosses its axis at torus "
                                       "0.4; raise torus above 0.76\n")));
    EXPECT_FALSE(fs::exists(folder / "out/ring.stl"));
    EXPECT_EQ(outcome({"export", "flower.bas", "--scale", "1e-9", "-o", "out/tiny.3mf"}),
              std::pair(2, std::string("shapetool: out/tiny.3mf: too small for 3MF: its six decimals would merge "
                                       "corners even in microns\n")));
    for (const std::string output : {"out/fit.stl", "out/fit.glb"})
        for (const char* fit : {"1e-40", "1e-300"})
            EXPECT_EQ(
                outcome({"export", "flower.bas", "--fit", fit, "-o", output}),
                std::pair(2, "shapetool: " + output +
                                 ": too small for single precision floats at that fit: its corners would meet\n"));
}

// No notice for a size asked for, nor for glb, which is not printed, nor with -q; OBJ's normals on request.
TEST_F(Shapetool, ThePrintSizeIsSaidOnlyForAFilePrintedAsIs)
{
    for (const std::string asked :
         {"-o out/n.stl --fit 40", "-o out/n.stl --scale 2", "-o out/n.glb", "-o out/n.obj -q --no-normals"})
        EXPECT_EQ(shell("shapetool export flower.bas " + asked).standard_error.find(" prints "), std::string::npos)
            << asked;
    EXPECT_EQ(text("out/n.obj").find("\nvn "), std::string::npos);
}

TEST_F(Shapetool, AGalleryOfNothingReadableKeepsTheSheetThatWasThere)
{
    std::ofstream(folder / "out/g.png") << "good";
    EXPECT_EQ(status({"gallery", "empty.bas", "-o", "out/g.png"}), 2);
    EXPECT_EQ(text("out/g.png"), "good");
}

// Flags replace the snippets' values; one of the second set separates it, the rest of it the snippet's own, or its
// first set for a one-set one. Two poles, the other rows with their seam welded.
TEST_F(Shapetool, InfoReportsTheShapesWithTheFlagsApplied)
{
    const nlohmann::json shapes = report({"info", "--json", "flower.bas", SOURCE_DIR "/examples/starfish.bas", "--m",
                                          "3", "--m2", "2", "--slices", "20"});
    const nlohmann::json &one = shapes.at(0)["parameters"], &two = shapes.at(1)["parameters"];
    EXPECT_EQ(std::tuple(one["m"], one["n1"], one["slices"], one["bands"], one["m2"], one["n1_2"]),
              std::tuple(3.0, 0.5, 20, 40, 2.0, 0.5))
        << one;
    EXPECT_EQ(std::tuple(two["m2"], two["n1_2"], two["n1"]), std::tuple(2.0, 0.3, 0.1)) << two;
    EXPECT_EQ(std::tuple(shapes.size(), shapes[0]["closed"], shapes[0]["vertices"]), std::tuple(2u, true, 2 + 19 * 40));
}

// Sides beyond the largest float, of a box within the floats, are still numbers.
TEST_F(Shapetool, InfoGivesSidesBeyondTheFloatsAsNumbers)
{
    EXPECT_EQ(run({"info", "flower.bas", "--radius", "3e38"}).standard_output.find("inf"), std::string::npos);
    const nlohmann::json huge = report({"info", "flower.bas", "--radius", "3e38", "--json"});
    for (const nlohmann::json& side : huge.at(0).at("extent"))
        EXPECT_GT(side.get<double>(), 3e38) << side;
}

// A ball 40 mm across holds 4/3 pi 20³ mm³, stands on the cap pi (2 x 20 x 0.1 - 0.1²) and overhangs beyond 45
// degrees on the cap (1 - cos 45°) / 2 of its surface; a gram per 1,000 mm³ at density 1. Hollow, its cavity is
// 1.05 walls in (mesh/shell.h): 4/3 pi (20³ - 17.9³) mm³ of material, the thinnest wall about 2.1 mm. The lantern
// stands on a point, which info and export say alike, with the base that stands it on more; with that base info warns
// no more.
TEST_F(Shapetool, InfoPrintMeasuresTheShapeAsItWouldPrint)
{
    const nlohmann::json ball = report({"info", "--print", "--json", "--fit", "40", "--density", "2", "--shell", "2",
                                        SOURCE_DIR "/examples/sphere.bas", "--slices", "400", "--bands", "400"})
                                    .at(0)["print"];
    EXPECT_NEAR(ball["volume_mm3"].get<double>(), 33510.3, 33.5) << ball;
    EXPECT_NEAR(ball["mass_g"].get<double>(), 67.02, 0.07) << ball;
    EXPECT_NEAR(ball["contact_mm2"].get<double>(), 12.535, 0.03) << ball;
    EXPECT_NEAR(ball["overhang_share"].get<double>(), 0.1464, 0.003) << ball;
    EXPECT_EQ(ball["warning"], "") << ball;
    EXPECT_NEAR(ball["shell"]["volume_mm3"].get<double>(), 9486.2, 47) << ball;
    EXPECT_NEAR(ball["shell"]["thinnest_wall_mm"].get<double>(), 2.1, 0.05) << ball;
    const std::string lantern = SOURCE_DIR "/examples/lantern.bas";
    const std::string info = run({"info", "--print", "--fit", "40", lantern}).standard_output;
    EXPECT_EQ(info.substr(info.rfind("  warning")), "  warning     stands on 0.048 mm²; --base 2 gives 81 mm²\n");
    EXPECT_EQ(run({"export", "--fit", "40", lantern, "-o", "out/l.stl"}).standard_error,
              lantern + " -> out/l.stl: 18,240 triangles; stands on 0.048 mm²; --base 2 gives 81 mm²\n");
    EXPECT_EQ(report({"info", "--print", "--json", "--fit", "40", "--base", "2", lantern}).at(0)["print"]["warning"],
              "");
}

// The lemon stands tallest: the cut takes 2 mm off its height and the fit gives them back.
TEST_F(Shapetool, ABaseKeepsTheFitTheLargestSide)
{
    const nlohmann::json size =
        report({"info", "--print", "--json", "--fit", "40", "--base", "2", SOURCE_DIR "/examples/lemon.bas"})
            .at(0)["print"]["size_mm"];
    EXPECT_NEAR(size.at(2).get<double>(), 40, 1e-4) << size;
}

// A base as high as the shape leaves nothing, a shell over half its smallest side (30.82 mm) no cavity, a drain
// wider than the flower's middle no floor: refused for that shape, nothing written. A drain that fits is said.
TEST_F(Shapetool, ABaseShellOrDrainTheShapeCannotHoldIsRefused)
{
    const std::pair<std::vector<std::string>, std::string> requests[] = {
        {{"--base", "40"}, "the base is not below the shape's height"},
        {{"--shell", "16"}, "a 16.00 mm shell needs every side over 32.00 mm; the smallest is 30.82 mm"},
        // A grid a hundred thousand cells across would not fit in memory.
        {{"--shell", "0.01"}, "a 0.01 mm shell is too thin to grid for a shape 40.00 mm across; the least is 0.40 mm"},
        {{"--shell", "2", "--drain", "30"},
         "a 30.00 mm drain would pass through another part of the shape below the "
         "cavity"},
    };
    for (const auto& [flags, reason] : requests) {
        std::vector<std::string> line{"export", "flower.bas", "--fit", "40", "-o", "out/x.stl"};
        line.insert(line.end(), flags.begin(), flags.end());
        const auto refused = run(line);
        EXPECT_EQ(std::pair(refused.exit_status, refused.standard_error),
                  std::pair(2, "shapetool: out/x.stl: " + reason + "\n"));
    }
    EXPECT_EQ(files("out"), 0u);
    const std::string drained =
        run({"export", "flower.bas", "--fit", "40", "--shell", "2", "--drain", "3", "-o", "out/x.stl"}).standard_error;
    EXPECT_NE(drained.find("; a 3 mm drain"), std::string::npos) << drained;
    EXPECT_EQ(drained.find("no drain"), std::string::npos) << drained;
}

// The flower's 2,320 triangles in 1,000: the summary says how far they stray in millimetres, in a file of
// millimetres and in one of metres alike; a budget at the count writes the whole mesh.
TEST_F(Shapetool, ATriangleBudgetSaysHowFarTheMeshStraysInMillimetres)
{
    const std::regex summary(
        "flower.bas -> out/b[.](stl|glb): 1,000 triangles [(]of 2,320[)], within ([0-9.]+) mm(;.*)?\n");
    std::smatch stl, glb;
    const std::string
        stl_line =
            run({"export", "flower.bas", "--fit", "40", "--triangles", "1000", "-o", "out/b.stl"}).standard_error,
        glb_line =
            run({"export", "flower.bas", "--fit", "40", "--triangles", "1000", "-o", "out/b.glb"}).standard_error;
    ASSERT_TRUE(std::regex_match(stl_line, stl, summary)) << stl_line;
    ASSERT_TRUE(std::regex_match(glb_line, glb, summary)) << glb_line;
    EXPECT_EQ(glb[2], stl[2]);
    EXPECT_EQ(status({"export", "flower.bas", "--fit", "40", "--triangles", "2320", "-o", "out/all.stl"}), 0);
    EXPECT_EQ(status({"export", "flower.bas", "--fit", "40", "-o", "out/whole.stl"}), 0);
    EXPECT_EQ(text("out/all.stl"), text("out/whole.stl"));
}

// Standard input and output; a failed write to standard output is an output failure, whose reason is the system's,
// even where the stream forgot it; an ignored SIGPIPE makes a closed pipe an error.
TEST_F(Shapetool, StandardInputAndOutput)
{
    EXPECT_EQ(status("shapetool export - -q --format stl -o - < flower.bas > out/piped.stl"), 0);
    EXPECT_EQ(fs::file_size(folder / "out/piped.stl"), 84 + 50 * 2320u);
    EXPECT_EQ(status("shapetool info flower.bas > /dev/full"), 3);
    for (const auto& [command, reason] :
         {std::pair("shapetool --version > /dev/full", "No space left on device"),
          {"(trap '' PIPE; sleep 1; exec shapetool info --json flower.bas) | true", "Broken pipe"}})
        EXPECT_EQ(shell(command).standard_error,
                  "shapetool: standard output: cannot write: " + std::string(reason) + "\n");
}

// Each format as its readers take it, by default and with the other --up: the editor's +Y on the file's up axis,
// facing outwards (a mirror turns a solid inside out), --fit millimetres on the largest side in the format's own
// unit, and opaque unless the colour's alpha says otherwise. The Khronos glTF validator (the test command
// installs it) finds no error or warning in these glb files, nor in a raw grid, a tiny shape or the examples.
TEST_F(Shapetool, EveryFormatStandsOnItsUpAxisFacesOutwardsFitsInItsUnitAndIsValid)
{
    for (const file_export::Format_row& row : file_export::formats)
        for (const bool other : {false, true}) {
            if (!row.holds_mesh)
                continue;
            const test_support::Format_expectation& expected = test_support::expected_of(row.format);
            const char up = other ? 'y' + 'z' - expected.up : expected.up;
            const std::string output = "out/f" + std::string(other ? "_other." : ".") + row.extension;
            // 2 x 1.73 x 1.54 in the editor: its y is the up axis' extent.
            ASSERT_EQ(status("shapetool export --m 6 --n1 0.5 --slices 30 --bands 40 --fit 40 --color 10,200,30" +
                             (other ? std::string(",100 --up ") + up : "") + " -q -o " + output),
                      0);
            const auto found = test_support::read_mesh_file(row.format, (folder / output).string());
            SCOPED_TRACE(output + " up " + up);
            const mesh::Mesh_statistics read = mesh::measure(
                {found.positions.data(), found.positions.size(), found.triangles.data(), found.triangles.size()});
            const double x = read.box.max.x - read.box.min.x,
                         height = up == 'y' ? read.box.max.y - read.box.min.y : read.box.max.z - read.box.min.z;
            EXPECT_NEAR(x * found.millimetres_per_unit * expected.millimetres, 40, 1e-3);
            EXPECT_NEAR(height / x, 1.7320508 / 1.9999931, 1e-5);
            EXPECT_GT(read.integrals.volume, 0);
            EXPECT_EQ(found.colour[3], !expected.carried ? -1 : other ? 100 : 255);
        }
    const fs::path modules = GLTF_VALIDATOR_MODULES;
    if (!fs::exists(modules / "gltf-validator"))
        GTEST_SKIP() << "no glTF validator in " << modules << " (scripts/test.sh installs it)";
    ASSERT_EQ(status("shapetool export -q --raw --slices 2 -o out/raw.glb && "
                     "shapetool export -q --scale 1e-6 --slices 99 --bands 3 -o out/tiny.glb && "
                     "shapetool export -q " SOURCE_DIR "/examples --outdir out/examples --format glb"),
              0);
    const auto validated =
        shell("GLTF_VALIDATOR_MODULES=" + modules.string() + " node " SOURCE_DIR "/tests/tool/validate_gltf.js " +
              "out/f.glb out/f_other.glb out/raw.glb out/tiny.glb out/examples/*.glb");
    EXPECT_EQ(validated.exit_status, 0) << validated.standard_output << validated.standard_error;
}

// glb and OBJ shade each face from its corners' normals: every example's lie within the crease angle of its face's (the
// spinning top's dish folds past 90 degrees), and the sphere, which folds nowhere, keeps one a vertex, each within 3
// degrees of its radius.
TEST_F(Shapetool, EveryExamplesCornerNormalsLieWithinTheCreaseAngleOfItsFace)
{
    for (const std::string format : {"glb", "obj"}) {
        ASSERT_EQ(status({"export", SOURCE_DIR "/examples", "--outdir", "out/" + format, "--format", format, "-q"}), 0);
        for (const fs::directory_entry& file : fs::directory_iterator(folder / "out" / format)) {
            if (file.path().extension() == ".mtl")
                continue;
            const auto found = test_support::read_mesh_file(
                file_export::mesh_format_for_path(file.path().string())->format, file.path());
            int strays = 0;
            for (const mesh::Ttriangle& t : found.triangles) {
                const auto& p = found.positions;
                const auto n = Nsupershape::area_normal(p.at(t.i0), p.at(t.i1), p.at(t.i2));
                for (const std::int32_t k : {t.i0, t.i1, t.i2}) {
                    const mesh::Tvector3& corner = found.normals.at(std::size_t(k));
                    strays += corner.x * n.x + corner.y * n.y + corner.z * n.z <
                              (std::cos(mesh::crease_degrees * M_PI / 180) - 1e-3) * std::hypot(n.x, n.y, n.z);
                }
            }
            EXPECT_EQ(strays, 0) << file.path();
        }
    }
    // OBJ keeps the positions shared, 2 + 95 x 96 for the spinning top, and writes more normals.
    std::map<std::string, int> lines;
    std::istringstream top(text("out/obj/spinning_top.obj"));
    for (std::string line; std::getline(top, line);)
        ++lines[line.substr(0, line.find(' '))];
    EXPECT_EQ(lines["v"], 9122);
    EXPECT_GT(lines["vn"], 9122);
    const auto sphere =
        test_support::read_mesh_file(file_export::Format::glb, (folder / "out/glb/sphere.glb").string());
    ASSERT_EQ(sphere.positions.size(), 2 + 47 * 48u);
    for (std::size_t k = 0; k < sphere.positions.size(); ++k) {
        const mesh::Tvector3 &n = sphere.normals[k], &p = sphere.positions[k];
        ASSERT_GT((n.x * p.x + n.y * p.y + n.z * p.z) / std::hypot(p.x, p.y, p.z), std::cos(3 * M_PI / 180)) << k;
    }
}

// A snippet is an output too, without meshing: what Save writes for the shape (hand-edited layouts normalised:
// tests/snippet), from other snippets, from flags or standard input; never over its input.
TEST_F(Shapetool, ExportWritesTheSnippetSaveWouldWrite)
{
    const std::string examples = SOURCE_DIR "/examples/";
    const std::string star = test_support::file_text(examples + "star.bas");
    ASSERT_EQ(
        status({"export", examples + "starfish.bas", examples + "star.bas", "--outdir", "out", "--format", "bas"}), 0);
    EXPECT_EQ(std::pair(text("out/starfish.bas"), text("out/star.bas")),
              std::pair(test_support::file_text(examples + "starfish.bas"), star));
    // One row cannot be meshed, but it can be saved.
    Tparams expected;
    ASSERT_TRUE(snippet::parse(star, "star.bas", expected).ok());
    expected.sets_linked = 0, expected.m2 = 3, expected.slices = 1;
    EXPECT_EQ(status("shapetool export - --m2 3 --slices 1 -q -o out/piped.bas < " + examples + "star.bas"), 0);
    EXPECT_EQ(text("out/piped.bas"), snippet::text(expected));
    EXPECT_EQ(status({"export", "out/piped.bas", "-o", "out/piped.bas"}), 1);
    EXPECT_EQ(text("out/piped.bas"), snippet::text(expected));
}

// shapetool random writes the draws of its seed, named in draw order; given and kept values stay.
TEST_F(Shapetool, RandomWritesTheDrawsOfItsSeed)
{
    ASSERT_EQ(status({"random", "--count", "12", "--seed", "7", "--outdir", "a", "-q"}), 0);
    ASSERT_EQ(
        status({"random", "--count", "12", "--seed", "7", "--outdir", "b", "--keep", "n1,color", "--m", "5", "-q"}), 0);
    ASSERT_EQ(status({"random", "--count", "12", "--seed", "7", "--outdir", "c", "--rings-and-twists", "-q"}), 0);
    Tparams start;
    set_start_values(start);
    start.slices = start.bands = 100;
    // Named alike whatever the count: a rerun replaces its draws.
    ASSERT_EQ(status({"random", "--count", "3", "--seed", "7", "--outdir", "a", "-q"}), 0);
    EXPECT_EQ(files("a"), 12u);
    for (int draw = 1; draw <= 12; ++draw) {
        const std::string name =
            std::string(draw < 10 ? "/random_7_0000" : "/random_7_000") + std::to_string(draw) + ".bas";
        Tparams expected, kept, ring_or_twist;
        ASSERT_TRUE(explore::random_shape(7, draw, start, {}, expected).ok());
        EXPECT_EQ(text("a" + name), snippet::text(expected)) << name;
        ASSERT_TRUE(explore::random_shape(7, draw, start, {}, ring_or_twist, true).ok());
        EXPECT_EQ(text("c" + name), snippet::text(ring_or_twist)) << name;
        ASSERT_TRUE(snippet::read_file(folder / ("b" + name), kept).ok()) << name;
        EXPECT_EQ(std::tuple(kept.m, kept.n1, std::vector(kept.color, kept.color + 4)),
                  std::tuple(5.0f, start.n1, std::vector(start.color, start.color + 4)))
            << name;
    }
}

// Interrupted in the middle of a long write, an export or an animation written as its frames come, shapetool
// leaves nothing behind and ends with 128 + the signal.
TEST_F(Shapetool, AnInterruptedExportLeavesNoTemporary)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t child = fork();
        if (child == 0) {
            const bool animate = signal == SIGINT;
            const std::string output = (folder / (animate ? "out/big.gif" : "out/big.3mf")).string();
            execl(SHAPETOOL_EXECUTABLE, SHAPETOOL_EXECUTABLE, animate ? "animate" : "export", "--slices", "999",
                  "--bands", "999", "-o", output.c_str(), "-q", nullptr);
            _exit(127);
        }
        for (int tries = 0; files("out") == 0 && tries < 3000; ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        kill(child, signal);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_EQ(std::pair(bool(WIFEXITED(status)), WEXITSTATUS(status)), std::pair(true, 128 + signal));
        EXPECT_EQ(files("out"), 0u) << signal;
    }
}

// On a terminal the bar is cleared before a failure that ends the run is said, and when the run is interrupted.
TEST_F(Shapetool, OnATerminalTheBarGivesWayToAFailureAndToAnInterruption)
{
    // Files of 512 bytes at most: the first frame cannot be written.
    const std::string failed = shell("script -qec \"trap '' XFSZ; ulimit -f 1; exec shapetool animate flower.bas "
                                     "--size 64x64 --frames 5 --frames-dir out/f\" /dev/null")
                                   .standard_output;
    EXPECT_EQ(failed.substr(failed.find(" left")),
              " left\r\x1b[Kshapetool: out/f/frame_0001.png: cannot write: File too large\r\n");
    const std::string interrupted =
        shell("script -qec \"shapetool animate flower.bas --size 8x8 --frames 9999 --frames-dir out/g & until [ -e "
              "out/g/frame_0002.png ] || ! kill -0 \\$!; do sleep 0.05; done; kill -INT \\$!; wait\" /dev/null")
            .standard_output;
    // The signal may come between a bar and the next, so the line may be cleared twice.
    EXPECT_EQ(interrupted.substr(interrupted.size() - 4), "\r\x1b[K");
}

// Every OBJ name has a material file of its own, which its mtllib line names (long names included); the pair is
// published together (tests/output).
TEST_F(Shapetool, EachObjHasAMaterialFileOfItsOwn)
{
    // Names of 255 bytes too, one whose material file's name must be cut.
    Names names{"star.obj", "a b.obj", "a_b.obj", "a.OBJ", "a%20b.obj", "tab\tname.obj", "line\nend.obj", "a~0000.obj"};
    names.insert(names.end(), {std::string(251, 'x') + ".obj", std::string(251, ' ') + ".OBJ"});
    for (std::size_t i = 0; i < names.size(); ++i)
        ASSERT_EQ(status({"export", "--color", std::to_string(i) + ",0,0", "-q", "-o", "out/" + names[i]}), 0);
    std::set<std::string> materials;
    for (const std::string& name : names) {
        const std::string obj = text("out/" + name);
        std::smatch mtllib;
        std::regex_search(obj, mtllib, std::regex("mtllib (.*)\n"));
        materials.insert(text("out/" + mtllib[1].str()));
    }
    EXPECT_EQ(std::pair(materials.size(), files("out")), std::pair(names.size(), 2 * names.size()));
}

// As an ordinary user (nobody, when the tests run as root): a read-only file of the user's is refused and kept, as
// the shell's > keeps it, and a folder that cannot be read says why.
TEST_F(Shapetool, AsAnOrdinaryUserAReadOnlyFileIsKeptAndAnUnreadableFolderSaysWhy)
{
    // A copy of the program that any user may run; the folder's own permissions let any user write there.
    fs::copy_file(SHAPETOOL_EXECUTABLE, folder / "shapetool");
    fs::permissions(folder, fs::perms::all);
    fs::create_directory(folder / "locked");
    std::ofstream(folder / "kept.stl") << "kept";
    fs::permissions(folder / "kept.stl", fs::perms(0444));
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown((folder / "kept.stl").c_str(), 65534, 65534), 0);
    }
    fs::permissions(folder / "locked", fs::perms::none);
    const std::string as_user = root ? "setpriv --reuid=65534 --regid=65534 --clear-groups ./" : "./";
    const auto refused = test_support::run_program(
        "/bin/sh", {"-c", as_user + "shapetool export -q --m 3 -o kept.stl; " + as_user + "shapetool info locked"},
        folder);
    EXPECT_EQ(std::tuple(refused.exit_status, refused.standard_error, text("kept.stl") == "kept"),
              std::tuple(2,
                         "shapetool: kept.stl: cannot write: Permission denied\n"
                         "shapetool: locked: cannot read: Permission denied\n",
                         true));
    fs::permissions(folder / "locked", fs::perms::all);
}
