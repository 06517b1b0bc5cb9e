// Outputs that appear whole or not at all: everything is written into a
// private temporary file beside the target, which is renamed over the target
// only once it is complete and on disk.
#pragma once

#include "runtime/status.h"

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace output {

using runtime::Status;

// One output file. The constructor creates the temporary file; commit()
// publishes it under the target's name; the destructor removes it unless it
// was committed. An older file of the target's name stays as it was until
// the commit's rename, and for good when anything fails.
class Atomic_file {
public:
    // Creates "`target`.XXXXXX" beside `target`, readable by its owner only.
    // Check status(): on failure there is no stream and nothing to remove.
    explicit Atomic_file(std::string target);
    ~Atomic_file();

    Atomic_file(const Atomic_file&) = delete;
    Atomic_file& operator=(const Atomic_file&) = delete;

    // The first failure so far; ok() while the file may still be committed.
    const Status& status() const { return status_; }

    // A fully buffered stream on the temporary file, or null when creating it
    // failed or after commit(). Write with fwrite/fprintf; write errors need
    // not be checked on each call, commit() reports them (a long writer may
    // test std::ferror to stop early).
    std::FILE* stream() const { return stream_; }

    // The temporary file's path, for libraries that write by file name
    // instead of writing to stream(). They may truncate or replace the file.
    const std::string& temporary_path() const { return temporary_; }
    const std::string& target() const { return target_; }

    // Flushes the stream, syncs the file to disk, gives it the permissions of
    // a new file under the current umask and renames it over the target. On
    // failure, or when creating already failed, the temporary file is removed
    // and the status returned; a folder in the target's place counts as
    // cannot_create. Call at most once. Failures read as "cannot create
    // shapes/x.bas: No such file or directory" or "cannot write ...".
    Status commit();

private:
    void fail(Status::Kind kind, int error_number);
    void discard();

    std::string target_;
    std::string temporary_;
    std::FILE* stream_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    Status status_;
    bool committed_ = false;
};

// Writes `contents` as the whole of `target` through an Atomic_file.
Status write_file(const std::string& target, std::string_view contents);

} // namespace output
