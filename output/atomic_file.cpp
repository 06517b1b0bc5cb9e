// The write-beside-then-rename step behind every file the programs write.
#include "output/atomic_file.h"

#include <cassert>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace output {
namespace {

// Large writes (meshes of 100 MB) go out in few system calls.
constexpr std::size_t stream_buffer_size = 1 << 20;

// The permissions open() would give a new file.
mode_t new_file_mode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Syncs and sets the mode by name, not through the stream: a library that
// wrote by name may have replaced the file the stream was opened on.
int finish_on_disk(const std::string& path)
{
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return errno;
    int error = 0;
    if (fchmod(file, new_file_mode()) != 0 || fsync(file) != 0)
        error = errno;
    close(file);
    return error;
}

} // namespace

Atomic_file::Atomic_file(std::string target) : target_(std::move(target))
{
    // Refused before anything is written rather than at the rename.
    struct stat existing;
    if (stat(target_.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
        fail(Status::Kind::cannot_create, EISDIR);
        return;
    }
    std::string temporary = target_ + ".XXXXXX";
    const int file = mkostemp(temporary.data(), O_CLOEXEC);
    if (file < 0) {
        fail(Status::Kind::cannot_create, errno);
        return;
    }
    temporary_ = std::move(temporary);
    stream_ = fdopen(file, "wb");
    if (!stream_) {
        const int error = errno;
        close(file);
        fail(Status::Kind::cannot_create, error);
        return;
    }
    buffer_ = std::make_unique<char[]>(stream_buffer_size);
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
    if (!status_.ok())
        return status_;
    errno = 0;
    if (std::fflush(stream_) != 0 || std::ferror(stream_)) {
        fail(Status::Kind::cannot_write, errno != 0 ? errno : EIO);
        return status_;
    }
    if (const int error = finish_on_disk(temporary_)) {
        fail(Status::Kind::cannot_write, error);
        return status_;
    }
    const int closed = std::fclose(stream_);
    stream_ = nullptr;
    if (closed != 0) {
        fail(Status::Kind::cannot_write, errno);
        return status_;
    }
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        // A folder created in the target's place since the constructor.
        fail(errno == EISDIR ? Status::Kind::cannot_create : Status::Kind::cannot_write, errno);
        return status_;
    }
    committed_ = true;
    return status_;
}

void Atomic_file::fail(Status::Kind kind, int error_number)
{
    const char* what = kind == Status::Kind::cannot_create ? "cannot create " : "cannot write ";
    status_ = runtime::failure(kind, what + target_ + ": " + std::strerror(error_number));
    discard();
}

void Atomic_file::discard()
{
    if (stream_)
        std::fclose(stream_);
    stream_ = nullptr;
    if (!temporary_.empty())
        unlink(temporary_.c_str());
    temporary_.clear();
}

Status write_file(const std::string& target, std::string_view contents)
{
    Atomic_file file(target);
    if (file.stream())
        std::fwrite(contents.data(), 1, contents.size(), file.stream());
    return file.commit();
}

} // namespace output
