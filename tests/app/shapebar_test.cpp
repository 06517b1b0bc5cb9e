// The bar's callbacks, a panel that cannot start, and Saves that share a name or whose write fails.
#include "app/save.h"
#include "app/shapebar.h"
#include "snippet/snippet.h"
#include "tests/support/child_process.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>

TEST(ShapeBar, ButtonsLeaveRequestsInTheRecordTheyAreGivenAndAPanelThatCannotStartEndsTheProgram)
{
    Tparams params;
    for (const auto button : {resetcb, quitcb, switch_xycb, switch_xzcb, switch_yzcb})
        button(&params);
    for (const std::int32_t flag :
         {params.do_reset, params.do_quit, params.do_swap_xy, params.do_swap_xz, params.do_swap_yz})
        EXPECT_EQ(flag, request_pending);
    EXPECT_EQ(params.auto_edit, 0);

    Exploring exploring;
    Exporting exporting;
    const auto panel =
        test_support::run_in_child([&] { start_panel(params, exploring, exporting); }); // there is no GL context here
    EXPECT_EQ(panel.exit_status, 1);
    EXPECT_EQ(panel.standard_output, "AntTweakBar initialization failed: no current OpenGL context\n");
    EXPECT_EQ(panel.standard_error,
              "\r\nAborting due to runtime error 1 (illegal function call) in SUPERSHAPE()\r\n\r\n");
}

// Saves within one second share a name: later ones are numbered; a file size limit fails the write like a full disk.
TEST(ShapeBar, SaveNumbersATakenNameInsteadOfReplacingTheFileAndEndsTheProgramWhenItCannotWrite)
{
    const test_support::Scratch_folder scratch("save");
    const std::string folder = scratch.path();
    const auto contents = [&](const std::string& name) { return test_support::file_text(folder + name); };
    std::ofstream(folder + "/shape.bas") << "first";
    Tparams params;
    set_start_values(params);
    save_me(folder + "/shape.bas", params);
    save_me(folder + "/shape.bas", params);
    EXPECT_EQ((std::tuple{contents("/shape.bas"), contents("/shape_2.bas"), contents("/shape_3.bas")}),
              std::tuple("first", snippet::text(params), snippet::text(params)));
    // A hundred saves in one second are no reason to lose the shape.
    for (int number = 4; number <= 101; ++number)
        std::ofstream(folder + "/shape_" + std::to_string(number) + ".bas");
    save_me(folder + "/shape.bas", params);
    EXPECT_EQ(contents("/shape_102.bas"), snippet::text(params));

    const auto save = test_support::run_in_child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit tiny{16, 16};
        setrlimit(RLIMIT_FSIZE, &tiny);
        save_me(folder + "/small.bas", params);
    });
    EXPECT_EQ(save.exit_status, 3);
    EXPECT_EQ(save.standard_error,
              "\r\nAborting due to runtime error 3 (file I/O error) in SUPERSHAPE::SAVE_ME()\r\n\r\n");
}

// Export goes beside the snippet written last while that holds the shape, and saves one otherwise; it replaces a file
// only while it is the one this run wrote.
TEST(ShapeBar, ExportGoesBesideTheLastSnippetAndReplacesOnlyWhatItWrote)
{
    const test_support::Scratch_folder scratch("export");
    const std::string folder = scratch.path(), snippet = folder + "/shape.bas", mesh = folder + "/shape.stl";
    Tparams params;
    set_start_values(params);
    Exporting exporting = start_exporting(params);
    std::ofstream(mesh) << "kept";
    EXPECT_EQ(export_mesh(exporting, params, snippet),
              mesh + ": cannot create: File exists, and not written here, so it is kept");
    std::filesystem::remove(mesh);
    EXPECT_EQ(export_mesh(exporting, params, snippet),
              "exported " + mesh +
                  ": 50 x 50 x 50 mm, 112 triangles, beside its .bas; stands on 0.00057 mm²; --base 2 "
                  "gives 0.25 mm²");
    const std::string first = test_support::file_text(mesh);
    // Its own mesh is replaced; the base is cut within the size, and offered no more.
    exporting.base = 2.0f;
    EXPECT_EQ(export_mesh(exporting, params, snippet),
              "exported " + mesh + ": 50 x 50 x 48 mm, 126 triangles, beside its .bas; stands on 0.25 mm²");
    EXPECT_NE(test_support::file_text(mesh), first);
    // A budget as export's --triangles takes it, said as it says it.
    exporting.triangles = 99;
    EXPECT_EQ(export_mesh(exporting, params, snippet), "nothing written: Triangles: 100 or more, or 0 for all");
    exporting.triangles = 100;
    const std::string within = export_mesh(exporting, params, snippet);
    EXPECT_EQ(within.substr(0, within.find(" within")),
              "exported " + mesh + ": 50 x 50 x 48 mm, 100 triangles (of 126),")
        << within;
    // A shell, but not within a budget; its building is told as it goes.
    exporting.shell = 2.0f;
    EXPECT_EQ(export_mesh(exporting, params, snippet),
              "nothing written: a shell takes triangles beyond the budget: set Triangles or Shell to 0");
    exporting.triangles = 0;
    exporting.shell = 0;
    exporting.drain = 3.0f;
    EXPECT_EQ(export_mesh(exporting, params, snippet),
              "nothing written: a drain needs a shell: set Shell above 0, or Drain to 0");
    exporting.shell = 2.0f;
    double done = 0;
    exporting.progress = [&done](double share) { done = share; };
    const std::string hollow = export_mesh(exporting, params, snippet);
    EXPECT_NE(hollow.find(", beside its .bas; hollow, walls from "), std::string::npos) << hollow;
    EXPECT_NE(hollow.find("; a 3 mm drain"), std::string::npos) << hollow;
    // The count is the file's, the inner surface's triangles too.
    const std::size_t count_at = hollow.find(" mm, ") + 5;
    std::string count = hollow.substr(count_at, hollow.find(" triangles") - count_at);
    count.erase(std::remove(count.begin(), count.end(), ','), count.end());
    EXPECT_GT(std::stoul(count), 1000u) << hollow;
    EXPECT_GT(done, 0.5);
    std::ofstream(folder + "/theirs") << "theirs";
    std::filesystem::rename(folder + "/theirs", mesh);
    export_mesh(exporting, params, snippet);
    EXPECT_EQ(test_support::file_text(mesh), "theirs");
}

// The user's state folder, or ~/.local/state where that is unset, empty or relative.
TEST(ShapeBar, TheLastShapeIsKeptInTheStateFolder)
{
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"/s", "/h", "/s/supershape/last.bas"},
        {nullptr, "/h", "/h/.local/state/supershape/last.bas"},
        {"", "/h", "/h/.local/state/supershape/last.bas"},
        {"s", "/h", "/h/.local/state/supershape/last.bas"},
        {nullptr, nullptr, ""},
    };
    for (const auto& [state, home, want] : cases)
        EXPECT_EQ(last_shape_path(state, home), want) << (state ? state : "unset");
}
