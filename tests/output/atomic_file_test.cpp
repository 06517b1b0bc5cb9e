#include "output/atomic_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using output::Failure_kind;

// On a small tmpfs holding an earlier file: a commit publishes the whole new
// file, anything else leaves the earlier one and no temporary file.
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
        std::ostringstream bytes;
        bytes << std::ifstream(file).rdbuf();
        return bytes.str();
    };
    std::ofstream(path) << "earlier";
    {
        output::Atomic_file dropped(path);
        std::fputs("dropped", dropped.stream());
    }
    output::Atomic_file too_large(path);
    for (int i = 0; i < 64; ++i)
        std::fwrite(std::string(4096, 'x').data(), 1, 4096, too_large.stream());
    const output::Status full = too_large.commit();
    EXPECT_EQ(full.kind, Failure_kind::cannot_write);
    EXPECT_EQ(full.message, "cannot write " + path + ": No space left on device");
    EXPECT_EQ(contents(path), "earlier");
    EXPECT_EQ(entries(), 1) << "a temporary file was left";

    const mode_t mask = umask(027);
    output::Atomic_file file(path);
    std::fputs("new", file.stream());
    EXPECT_EQ(contents(path), "earlier") << "the target changed before the commit";
    EXPECT_TRUE(file.commit().ok());
    umask(mask);
    EXPECT_EQ(contents(path), "new");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640)) << "left private like a temporary file";
    // A library that replaces the file it is given.
    output::Atomic_file by_name(path);
    fs::remove(by_name.temporary_path());
    std::ofstream(by_name.temporary_path()) << "by name";
    EXPECT_TRUE(by_name.commit().ok());
    EXPECT_EQ(contents(path), "by name");

    const std::string missing = folder + "/missing/shape.bas", taken = folder + "/taken.bas";
    fs::create_directory(taken);
    for (const std::string& target : {missing, taken}) {
        const output::Status status = output::write_file(target, "text");
        EXPECT_EQ(status.kind, Failure_kind::cannot_create);
        EXPECT_EQ(status.message, "cannot create " + target + (target == missing ? ": No such file or directory"
                                                                                   : ": Is a directory"));
    }
    // A folder made in the target's place while the file was being written.
    output::Atomic_file late(folder + "/late.bas");
    fs::create_directory(folder + "/late.bas");
    EXPECT_EQ(late.commit().error_number, EISDIR);
    EXPECT_EQ(entries(), 3) << "a temporary file was left";
    umount2(folder.c_str(), MNT_DETACH);
    fs::remove_all(folder);
}
