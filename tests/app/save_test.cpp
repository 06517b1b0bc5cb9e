#include "app/save.h"
#include "snippet/snippet.h"
#include "tests/support/child_process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>

using test_support::run_in_child;
namespace fs = std::filesystem;

// Save's failures are fatal errors 2 and 3, reported at SAVE_ME.
TEST(SaveMe, WritesTheSnippetOrEndsWithError2Or3)
{
    const fs::path folder = fs::temp_directory_path() / ("save_test_" + std::to_string(getpid()));
    fs::create_directories(folder);
    Tparams params;
    set_start_values(params);
    const std::string path = (folder / "shape.bas").string();
    EXPECT_EQ(run_in_child([&] { save_me(path, params); }).exit_status, 0);
    std::ifstream file(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), snippet::text(params));

    const auto missing_folder = [&] { save_me((folder / "missing/shape.bas").string(), params); };
    // A file size limit fails the write itself, as a full disk does.
    const auto write_fails = [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit tiny{16, 16};
        setrlimit(RLIMIT_FSIZE, &tiny);
        save_me(path, params);
    };
    const std::string site = " in SUPERSHAPE::SAVE_ME()\r\n\r\n";
    const auto not_created = run_in_child(missing_folder), not_written = run_in_child(write_fails);
    EXPECT_EQ(not_created.exit_status, 2);
    EXPECT_EQ(not_created.standard_error, "\r\nAborting due to runtime error 2 (file not found)" + site);
    EXPECT_EQ(not_written.exit_status, 3);
    EXPECT_EQ(not_written.standard_error, "\r\nAborting due to runtime error 3 (file I/O error)" + site);
    fs::remove_all(folder);
}
