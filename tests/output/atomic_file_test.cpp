#include "output/atomic_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using output::Failure_kind;

namespace {

std::string contents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// A scratch folder holding an earlier "shape.bas"; a test may mount a tmpfs
// on it first.
class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(mkdtemp(folder.data()), nullptr);
        path = folder + "/shape.bas";
    }
    void TearDown() override { umount2(folder.c_str(), MNT_DETACH); fs::remove_all(folder); }
    void write_earlier() { std::ofstream(path) << "earlier"; }
    long entries() const { return std::distance(fs::directory_iterator(folder), {}); }

    std::string folder = "/tmp/atomic_file_test_XXXXXX";
    std::string path;
};

} // namespace

TEST_F(AtomicFile, CommitPublishesWholeUncommittedVanishesLibrariesWriteByName)
{
    write_earlier();
    {
        output::Atomic_file file(path);
        std::fputs("dropped", file.stream());
    }
    EXPECT_EQ(contents(path), "earlier");

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
    EXPECT_EQ(entries(), 1) << "a temporary file was left";
}

TEST_F(AtomicFile, CannotCreateInAMissingFolderOrOverAFolder)
{
    const std::string missing = folder + "/missing/shape.bas", taken = folder + "/taken.bas";
    fs::create_directory(taken);
    const std::pair<std::string, std::string> cases[] = {
        {missing, "cannot create " + missing + ": No such file or directory"},
        {taken, "cannot create " + taken + ": Is a directory"},
    };
    for (const auto& [target, message] : cases) {
        const output::Status status = output::write_file(target, "text");
        EXPECT_EQ(status.kind, Failure_kind::cannot_create);
        EXPECT_EQ(status.message, message);
    }
    // A folder made in the target's place while the file was being written.
    output::Atomic_file file(folder + "/late.bas");
    fs::create_directory(folder + "/late.bas");
    EXPECT_EQ(file.commit().error_number, EISDIR);
    EXPECT_EQ(entries(), 2) << "a temporary file was left";
}

TEST_F(AtomicFile, FullDeviceIsCannotWriteAndKeepsTheEarlierFile)
{
    // In a private mount namespace the tmpfs cannot outlive this process.
    ASSERT_TRUE(unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") == 0) << "needs root (CAP_SYS_ADMIN)";
    write_earlier();
    output::Atomic_file file(path);
    const std::string block(4096, 'x');
    for (int i = 0; i < 64; ++i)
        std::fwrite(block.data(), 1, block.size(), file.stream());
    const output::Status status = file.commit();
    EXPECT_EQ(status.kind, Failure_kind::cannot_write);
    EXPECT_EQ(status.message, "cannot write " + path + ": No space left on device");
    EXPECT_EQ(contents(path), "earlier");
    EXPECT_EQ(entries(), 1) << "a temporary file was left";
}
