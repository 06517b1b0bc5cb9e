#include "output/atomic_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Kind = runtime::Status::Kind;
using output::Publish;

// On a small tmpfs: a commit publishes the whole new file; anything else leaves the earlier one and no temporary.
TEST(AtomicFile, PublishesWholeOrNothingAndKeepsTheEarlierFile)
{
    std::string folder = "/tmp/atomic_file_test_XXXXXX";
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    // In a private mount namespace the tmpfs cannot outlive this process.
    ASSERT_TRUE(unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") == 0) << "needs root (CAP_SYS_ADMIN)";
    const std::string path = folder + "/shape.bas";
    const auto entries = [&] { return std::distance(fs::directory_iterator(folder), {}); };
    const auto contents = [](const std::string& file) { return std::string(std::istreambuf_iterator<char>(std::ifstream(file).rdbuf()), {}); };
    const auto outcome = [](const output::Status& status) { return std::pair(status.kind, status.message); };
    std::ofstream(path) << "earlier";
    std::fputs("dropped", output::Atomic_file(path).stream()); // never committed
    output::Atomic_file too_large(path);
    std::fputs(std::string(256 << 10, 'x').c_str(), too_large.stream());
    // The earlier file and no temporary one are left.
    EXPECT_EQ((std::tuple{outcome(too_large.commit()), contents(path), entries()}),
              std::tuple(std::pair(Kind::cannot_write, path + ": cannot write: No space left on device"),
                         "earlier", 1));

    // A replaced file keeps its permissions; a new one follows the umask.
    const mode_t mask = umask(027);
    fs::permissions(path, fs::perms(0600));
    output::Atomic_file file(path);
    std::fputs("new", file.stream());
    EXPECT_EQ(contents(path), "earlier") << "the target changed before the commit";
    EXPECT_TRUE(file.commit().ok() && contents(path) == "new");
    const std::string fresh = folder + "/fresh.bas";
    EXPECT_TRUE(output::write_file(fresh, "fresh", Publish::only_if_free).ok());
    umask(mask);
    EXPECT_EQ(std::pair(fs::status(path).permissions(), fs::status(fresh).permissions()),
              std::pair(fs::perms(0600), fs::perms(0640)));
    // A library that replaces the file it is given.
    output::Atomic_file by_name(path);
    fs::remove(by_name.temporary_path());
    std::ofstream(by_name.temporary_path()) << "by name";
    EXPECT_TRUE(by_name.commit().ok() && contents(path) == "by name");

    // A name taken before the file is made, or while it is written, is left as it was.
    output::Atomic_file raced(folder + "/raced.bas", Publish::only_if_free);
    std::fputs("second", raced.stream());
    std::ofstream(folder + "/raced.bas") << "first";
    const auto taken = [](const std::string& name) { return std::pair(Kind::name_taken, name + ": cannot create: File exists"); };
    EXPECT_EQ((std::tuple{outcome(raced.commit()), outcome(output::write_file(fresh, "second", Publish::only_if_free)),
                          contents(folder + "/raced.bas"), contents(fresh), entries()}),
              std::tuple(taken(folder + "/raced.bas"), taken(fresh), "first", "fresh", 3));

    fs::create_directory(folder + "/taken.bas");
    for (const auto& [name, reason] : {std::pair{"/missing/shape.bas", "No such file or directory"},
                                       {"/taken.bas", "Is a directory"}})
        EXPECT_EQ(outcome(output::write_file(folder + name, "text")),
                  std::pair(Kind::cannot_create, folder + name + ": cannot create: " + reason));
    // A folder made in the target's place while the file was being written.
    output::Atomic_file late(folder + "/late.bas", Publish::only_if_free);
    fs::create_directory(folder + "/late.bas");
    EXPECT_EQ((std::tuple{late.commit().kind, entries()}), std::tuple(Kind::cannot_create, 5)) << "a temporary file was left";

    // A handler for a termination request removes the temporary file of a write it interrupts.
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGTERM, [](int) {
            output::remove_temporaries();
            _exit(0);
        });
        for (int round = 0; round < 20; ++round) { // more than the record holds, each dropped again
            output::write_file(path, "committed");
            output::Atomic_file discarded(path);
        }
        output::Atomic_file interrupted(path);
        std::fputs("interrupted", interrupted.stream());
        std::fflush(interrupted.stream());
        raise(SIGTERM);
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ((std::tuple{WIFEXITED(status) ? WEXITSTATUS(status) : -1, entries(), contents(path)}),
              std::tuple(0, 5, "committed"));
    umount2(folder.c_str(), MNT_DETACH);
    fs::remove_all(folder);
}
