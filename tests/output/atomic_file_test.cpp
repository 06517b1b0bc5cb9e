#include "output/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using Kind = runtime::Status::Kind;

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
    const auto contents = [](const std::string& file) {
        return std::string(std::istreambuf_iterator<char>(std::ifstream(file).rdbuf()), {});
    };
    const auto outcome = [](const output::Status& status) { return std::pair(status.kind, status.message); };
    std::ofstream(path) << "earlier";
    std::fputs("dropped", output::Atomic_file(path).stream()); // never committed
    output::Atomic_file too_large(path);
    std::fputs(std::string(256 << 10, 'x').c_str(), too_large.stream());
    // The earlier file and no temporary one are left.
    EXPECT_EQ((std::tuple{outcome(too_large.commit()), contents(path), entries()}),
              std::tuple(std::pair(Kind::cannot_write, "cannot write " + path + ": No space left on device"),
                         "earlier", 1));

    const mode_t mask = umask(027);
    output::Atomic_file file(path);
    std::fputs("new", file.stream());
    EXPECT_EQ(contents(path), "earlier") << "the target changed before the commit";
    EXPECT_TRUE(file.commit().ok() && contents(path) == "new");
    umask(mask);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640)) << "left private like a temporary file";
    // A library that replaces the file it is given.
    output::Atomic_file by_name(path);
    fs::remove(by_name.temporary_path());
    std::ofstream(by_name.temporary_path()) << "by name";
    EXPECT_TRUE(by_name.commit().ok() && contents(path) == "by name");

    fs::create_directory(folder + "/taken.bas");
    for (const auto& [name, reason] : {std::pair{"/missing/shape.bas", "No such file or directory"},
                                       {"/taken.bas", "Is a directory"}})
        EXPECT_EQ(outcome(output::write_file(folder + name, "text")),
                  std::pair(Kind::cannot_create, "cannot create " + folder + name + ": " + reason));
    // A folder made in the target's place while the file was being written.
    output::Atomic_file late(folder + "/late.bas");
    fs::create_directory(folder + "/late.bas");
    EXPECT_EQ((std::tuple{late.commit().kind, entries()}), std::tuple(Kind::cannot_create, 3)) << "a temporary file was left";
    umount2(folder.c_str(), MNT_DETACH);
    fs::remove_all(folder);
}
