// The write-beside-then-rename step behind every file the programs write, and
// the record of temporary files that a signal handler removes.
#include "output/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace output {
namespace {

// Large writes (meshes of 100 MB) go out in few system calls.
constexpr std::size_t stream_buffer_size = 1 << 20;

// The temporary files that exist right now. A signal handler reads this
// record, so it is fixed storage, and each slot's state says whether its
// path may be read.
enum Slot_state : int { free_slot, filling_slot, live_slot };
struct Tracked_temporary {
    std::atomic<int> state{free_slot};
    char path[PATH_MAX] = {};
};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the slots' states");
constexpr std::size_t tracked_slots = 16;
Tracked_temporary tracked[tracked_slots];

// The slot now holding `path`, or -1 when the record is full.
int track(const std::string& path)
{
    if (path.size() >= PATH_MAX)
        return -1;
    for (std::size_t slot = 0; slot < tracked_slots; ++slot) {
        int expected = free_slot;
        if (tracked[slot].state.compare_exchange_strong(expected, filling_slot)) {
            std::memcpy(tracked[slot].path, path.c_str(), path.size() + 1);
            tracked[slot].state.store(live_slot, std::memory_order_release);
            return static_cast<int>(slot);
        }
    }
    return -1;
}

void untrack(int slot)
{
    if (slot >= 0)
        tracked[slot].state.store(free_slot, std::memory_order_release);
}

// Holds back the signals whose handlers may call remove_temporaries(), so that
// a temporary file and its record come and go together.
class Signals_held {
public:
    Signals_held()
    {
        sigset_t signals;
        sigemptyset(&signals);
        for (const int number : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&signals, number);
        pthread_sigmask(SIG_BLOCK, &signals, &previous_);
    }
    ~Signals_held() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    Signals_held(const Signals_held&) = delete;
    Signals_held& operator=(const Signals_held&) = delete;

private:
    sigset_t previous_;
};

// The permissions open() would give a new file.
mode_t new_file_mode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// A replaced file lends its permissions, so that a private file stays private.
mode_t published_mode(const std::string& target, Publish publish)
{
    struct stat existing;
    if (publish == Publish::replacing && stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        // Read, write and execute bits only: the new file may belong to
        // someone else, and must not inherit a set-user-ID bit.
        return existing.st_mode & 0777;
    return new_file_mode();
}

// Sets the mode and syncs: 0, or the errno value of the failure.
int finish_on_disk(std::FILE* stream, mode_t mode)
{
    const int file = fileno(stream);
    return fchmod(file, mode) == 0 && fsync(file) == 0 ? 0 : errno;
}

// Gives `from` the name `to`: 0, or the errno value of the failure.
int publish_as(const std::string& from, const std::string& to, Publish publish)
{
    if (publish == Publish::replacing)
        return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without RENAME_NOREPLACE: a new link fails just as well
    // on a taken name.
    if (link(from.c_str(), to.c_str()) != 0)
        return errno;
    unlink(from.c_str());
    return 0;
}

bool is_folder(const std::string& path)
{
    struct stat existing;
    return stat(path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode);
}

// "NAME.XXXXXX" beside `path`, NAME cut short to fit a file name's limit.
std::string temporary_pattern(const std::string& path)
{
    constexpr char suffix[] = ".XXXXXX";
    const std::size_t name_at = path.rfind('/') + 1; // 0 without a folder
    const std::size_t kept = std::min(path.size() - name_at, std::size_t(NAME_MAX) - (sizeof suffix - 1));
    return path.substr(0, name_at + kept) + suffix;
}

// Holds an exclusive lock on the folder of `file` while files are published
// there: a lock on the folder itself leaves no lock file behind. Without a
// folder that can be opened, nothing is locked.
class Folder_lock {
public:
    explicit Folder_lock(const std::string& file)
    {
        const std::size_t name_at = file.rfind('/');
        const std::string folder = name_at == std::string::npos ? "." : file.substr(0, name_at + 1);
        descriptor_ = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        while (descriptor_ >= 0 && flock(descriptor_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~Folder_lock()
    {
        if (descriptor_ >= 0)
            close(descriptor_);
    }
    Folder_lock(const Folder_lock&) = delete;
    Folder_lock& operator=(const Folder_lock&) = delete;

private:
    int descriptor_ = -1;
};

// Why no file can be made for `target` now, said as Atomic_file says it; ok
// with the file that would be replaced, the target or a link's file, in
// `written`.
Status refused_target(const std::string& target, Publish publish, std::string& written)
{
    const auto refused = [&target](Status::Kind kind, const std::string& reason) {
        return runtime::failure(kind, target, reason);
    };
    written = target;
    // Refused before anything is written rather than at the rename.
    if (is_folder(target))
        return refused(Status::Kind::cannot_create, std::strerror(EISDIR));
    struct stat existing;
    const bool exists = lstat(target.c_str(), &existing) == 0;
    if (publish == Publish::only_if_free && exists)
        return refused(Status::Kind::name_taken, std::strerror(EEXIST));
    if (exists && S_ISLNK(existing.st_mode)) {
        const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(target.c_str(), nullptr), &std::free);
        if (!resolved)
            // Like cp, rather than making a file wherever the link points.
            return refused(Status::Kind::cannot_create,
                           errno == ENOENT ? "a dangling symbolic link" : std::strerror(errno));
        written = resolved.get();
    }
    // A FIFO, device or socket is never replaced by a file: as root, /dev/null
    // would be.
    struct stat followed;
    if (exists && stat(written.c_str(), &followed) == 0 && !S_ISREG(followed.st_mode))
        return refused(Status::Kind::cannot_create, "not a regular file, which is never replaced");
    // The shell's > refuses a read-only file too; root may write any.
    if (exists && access(written.c_str(), W_OK) != 0)
        return refused(Status::Kind::cannot_write, std::strerror(errno));
    return {};
}

} // namespace

Atomic_file::Atomic_file(std::string target, Publish publish) : target_(std::move(target)), publish_(publish)
{
    status_ = refused_target(target_, publish_, written_);
    if (!status_.ok())
        return;
    // Allocated first: a constructor that throws leaves nothing behind.
    buffer_ = std::make_unique<char[]>(stream_buffer_size);
    std::string temporary = temporary_pattern(written_);
    int file;
    int error;
    {
        const Signals_held held;
        file = mkostemp(temporary.data(), O_CLOEXEC);
        error = errno;
        if (file >= 0)
            tracked_slot_ = track(temporary);
    }
    if (file < 0) {
        fail(Status::Kind::cannot_create, std::strerror(error));
        return;
    }
    temporary_ = std::move(temporary);
    stream_ = fdopen(file, "wb");
    if (!stream_) {
        error = errno;
        close(file);
        fail(Status::Kind::cannot_create, std::strerror(error));
        return;
    }
    std::setvbuf(stream_, buffer_.get(), _IOFBF, stream_buffer_size);
}

Atomic_file::~Atomic_file()
{
    if (!committed_)
        discard();
}

Status Atomic_file::commit()
{
    assert(!committed_);
    if (status_.ok() && finish(published_mode(written_, publish_))) {
        const Signals_held held;
        publish();
    }
    return status_;
}

Status Atomic_file::commit_with(Atomic_file& companion)
{
    assert(!committed_ && !companion.committed_ && companion.publish_ == Publish::replacing);
    if (!status_.ok() || !companion.status_.ok())
        return status_.ok() ? companion.status_ : status_;
    const mode_t mode = published_mode(written_, publish_);
    if (!finish(mode))
        return status_;
    if (!companion.finish(mode))
        return companion.status_;
    const Folder_lock lock(target_);
    const Signals_held held;
    // The companion goes first, trading names with an older one, which comes
    // back if this file cannot follow.
    const char* const fresh = companion.temporary_.c_str();
    const char* const older = companion.written_.c_str();
    const bool traded = renameat2(AT_FDCWD, fresh, AT_FDCWD, older, RENAME_EXCHANGE) == 0;
    const bool was_new = !traded && errno == ENOENT;
    if (!traded && !companion.publish())
        return companion.status_;
    if (!publish()) {
        if (traded)
            renameat2(AT_FDCWD, fresh, AT_FDCWD, older, RENAME_EXCHANGE);
        else if (was_new)
            unlink(older);
        return status_;
    }
    // The older companion, under the temporary's name since the trade.
    companion.discard();
    companion.committed_ = true;
    return status_;
}

bool Atomic_file::finish(mode_t mode)
{
    errno = 0;
    if (std::fflush(stream_) != 0 || std::ferror(stream_)) {
        fail(Status::Kind::cannot_write, std::strerror(errno != 0 ? errno : EIO));
        return false;
    }
    if (const int error = finish_on_disk(stream_, mode)) {
        fail(Status::Kind::cannot_write, std::strerror(error));
        return false;
    }
    const int closed = std::fclose(stream_);
    stream_ = nullptr;
    if (closed != 0) {
        fail(Status::Kind::cannot_write, std::strerror(errno));
        return false;
    }
    return true;
}

bool Atomic_file::publish()
{
    if (const int error = publish_as(temporary_, written_, publish_)) {
        // A folder created in the target's place since the constructor.
        if (is_folder(written_))
            fail(Status::Kind::cannot_create, std::strerror(EISDIR));
        else
            fail(error == EEXIST ? Status::Kind::name_taken : Status::Kind::cannot_write, std::strerror(error));
        return false;
    }
    untrack(tracked_slot_);
    tracked_slot_ = -1;
    temporary_.clear();
    committed_ = true;
    return true;
}

void Atomic_file::fail(Status::Kind kind, const std::string& reason)
{
    status_ = runtime::failure(kind, target_, reason);
    discard();
}

void Atomic_file::discard()
{
    if (stream_)
        std::fclose(stream_);
    stream_ = nullptr;
    if (temporary_.empty())
        return;
    const Signals_held held;
    unlink(temporary_.c_str());
    untrack(tracked_slot_);
    tracked_slot_ = -1;
    temporary_.clear();
}

Status can_create(const std::string& target)
{
    std::string written;
    if (Status refused = refused_target(target, Publish::replacing, written); !refused.ok())
        return refused;
    std::string temporary = temporary_pattern(written);
    // Held, so that no signal finds the temporary file unrecorded.
    const Signals_held held;
    const int file = mkostemp(temporary.data(), O_CLOEXEC);
    if (file < 0)
        return runtime::failure(Status::Kind::cannot_create, target, std::strerror(errno));
    close(file);
    unlink(temporary.c_str());
    return {};
}

Status write_file(const std::string& target, std::string_view contents, Publish publish)
{
    Atomic_file file(target, publish);
    if (file.stream())
        std::fwrite(contents.data(), 1, contents.size(), file.stream());
    return file.commit();
}

void remove_temporaries()
{
    for (const Tracked_temporary& temporary : tracked)
        if (temporary.state.load(std::memory_order_acquire) == live_slot)
            unlink(temporary.path);
}

} // namespace output
