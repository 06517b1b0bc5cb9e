// Files that appear whole or not at all, each behaviour on its own; only the full device needs root, for a tmpfs.
#include "output/atomic_file.h"
#include "tests/support/child_process.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Kind = runtime::Status::Kind;
using output::Publish;

namespace {

class AtomicFile : public ::testing::Test {
protected:
    const test_support::Scratch_folder folder{"atomic_file_test"};
    const std::string path = folder / "shape.bas";

    std::ptrdiff_t entries() const { return test_support::entries(folder.path()); }
    static std::string contents(const std::string& file) { return test_support::file_text(file); }
    static std::pair<Kind, std::string> outcome(const output::Status& status) { return {status.kind, status.message}; }
};

} // namespace

// On a full device the commit fails with the reason and leaves the earlier file and no temporary.
TEST_F(AtomicFile, AFullDeviceLeavesTheEarlierFileAndNoTemporary)
{
    // In a private mount namespace the tmpfs cannot outlive the child, which prints what it finds.
    const auto child = test_support::run_in_child([&] {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", folder.path().c_str(), "tmpfs", 0, "size=64k") != 0)
            _exit(2);
        std::ofstream(path) << "earlier";
        std::fputs("dropped", output::Atomic_file(path).stream()); // never committed
        output::Atomic_file too_large(path);
        std::fputs(std::string(256 << 10, 'x').c_str(), too_large.stream());
        const output::Status status = too_large.commit();
        std::printf("%d %s; %s; %td", int(status.kind), status.message.c_str(), contents(path).c_str(), entries());
    });
    if (child.exit_status == 2)
        GTEST_SKIP() << "mounting a small tmpfs needs root (CAP_SYS_ADMIN)";
    EXPECT_EQ(child.standard_output, std::to_string(int(Kind::cannot_write)) + " " + path +
                                         ": cannot write: No space left on device; earlier; 1");
}

// A replaced file lends its read, write and execute bits, never a set-user-ID bit; a new file follows the umask.
TEST_F(AtomicFile, AReplacedFileKeepsItsPermissionsButNoSetUserIdAndANewOneFollowsTheUmask)
{
    std::ofstream(path) << "earlier";
    fs::permissions(path, fs::perms(04750));
    const mode_t mask = umask(027);
    output::Atomic_file file(path);
    std::fputs("new", file.stream());
    EXPECT_EQ(contents(path), "earlier") << "the target changed before the commit";
    EXPECT_EQ(outcome(file.commit()), std::pair(Kind::ok, std::string()));
    EXPECT_EQ(contents(path), "new");
    const std::string fresh = folder / "fresh.bas";
    EXPECT_EQ(outcome(output::write_file(fresh, "fresh", Publish::only_if_free)), std::pair(Kind::ok, std::string()));
    umask(mask);
    EXPECT_EQ(std::pair(fs::status(path).permissions(), fs::status(fresh).permissions()),
              std::pair(fs::perms(0750), fs::perms(0640)));
    EXPECT_EQ(entries(), 2);
}

// A name taken before the file is made, or while it is written, is left as it was.
TEST_F(AtomicFile, OnlyIfFreeLeavesATakenNameAsItWas)
{
    const std::string fresh = folder / "fresh.bas", raced = folder / "raced.bas";
    std::ofstream(fresh) << "fresh";
    output::Atomic_file racing(raced, Publish::only_if_free);
    std::fputs("second", racing.stream());
    std::ofstream(raced) << "first";
    const auto taken = [](const std::string& name) {
        return std::pair(Kind::name_taken, name + ": cannot create: File exists");
    };
    EXPECT_EQ((std::tuple{outcome(racing.commit()), outcome(output::write_file(fresh, "second", Publish::only_if_free)),
                          contents(raced), contents(fresh), entries()}),
              std::tuple(taken(raced), taken(fresh), "first", "fresh", 2));
}

// A missing folder, or a folder where the file should go (even one made while it is written), cannot be created.
TEST_F(AtomicFile, AMissingFolderOrAFolderInPlaceIsRefusedWithoutATemporary)
{
    fs::create_directory(folder / "taken.bas");
    // Nor is a FIFO or a device replaced by a file (as root, /dev/null would be).
    mkfifo((folder / "fifo.bas").c_str(), 0600);
    for (const auto& [name, reason] : {std::pair{"missing/shape.bas", "No such file or directory"},
                                       {"taken.bas", "Is a directory"},
                                       {"fifo.bas", "not a regular file, which is never replaced"}})
        EXPECT_EQ(outcome(output::write_file(folder / name, "text")),
                  std::pair(Kind::cannot_create, folder / name + ": cannot create: " + reason));
    EXPECT_TRUE(fs::is_fifo(folder / "fifo.bas"));
    output::Atomic_file late(folder / "late.bas", Publish::only_if_free);
    fs::create_directory(folder / "late.bas");
    EXPECT_EQ((std::tuple{late.commit().kind, entries()}), std::tuple(Kind::cannot_create, 3))
        << "a temporary file was left";
}

// A handler for a termination request removes the temporary file of a write it interrupts.
TEST_F(AtomicFile, ASignalHandlerRemovesTheTemporaryOfAnInterruptedWrite)
{
    const int status = test_support::run_in_child([&] {
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
                       }).exit_status;
    EXPECT_EQ((std::tuple{status, entries(), contents(path)}), std::tuple(0, 1, "committed"));
}

// A link is written through and stays a link; one that points nowhere is refused, as cp refuses it; a name of 255
// bytes is written, its temporary cut to fit.
TEST_F(AtomicFile, ALinkIsWrittenThroughADanglingOneRefusedAndALongNameFits)
{
    std::ofstream(folder / "real.bas") << "earlier";
    fs::create_symlink("real.bas", folder / "link.bas");
    fs::create_symlink("nowhere.bas", folder / "dangling.bas");
    const std::string longest = folder / std::string(251, 'x') + ".bas";
    EXPECT_EQ(
        (std::tuple{output::write_file(folder / "link.bas", "new").ok(), contents(folder / "real.bas"),
                    fs::is_symlink(folder / "link.bas"), outcome(output::write_file(folder / "dangling.bas", "x")),
                    output::write_file(longest, "long").ok(), entries()}),
        std::tuple(true, "new", true,
                   std::pair(Kind::cannot_create, folder / "dangling.bas: cannot create: a dangling symbolic link"),
                   true, 4));
}

// A file and its companion are published together, the companion with the file's permissions; when the file cannot
// be published, an older companion comes back and a new one is taken away.
TEST_F(AtomicFile, AFileAndItsCompanionArePublishedTogetherOrNotAtAll)
{
    const std::string main = folder / "shape.obj", companion = folder / "shape.mtl";
    std::ofstream(main) << "older";
    fs::permissions(main, fs::perms(0600));
    // With a folder made in the file's place while it is written when `blocked`.
    const auto pair = [&](const char* text, bool blocked) {
        output::Atomic_file file(main), beside(companion);
        std::fputs(text, file.stream());
        std::fputs(text, beside.stream());
        if (blocked)
            fs::remove(main), fs::create_directory(main);
        const Kind kind = file.commit_with(beside).kind;
        fs::remove(main);
        return std::tuple{kind, contents(companion),
                          fs::exists(companion) ? fs::status(companion).permissions() : fs::perms::unknown};
    };
    EXPECT_EQ(pair("first", false), std::tuple(Kind::ok, "first", fs::perms(0600)));
    EXPECT_EQ(pair("second", true), std::tuple(Kind::cannot_create, "first", fs::perms(0600)));
    fs::remove(companion);
    EXPECT_EQ(pair("third", true), std::tuple(Kind::cannot_create, "", fs::perms::unknown));
    EXPECT_EQ(entries(), 0);
}
