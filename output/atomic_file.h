// Outputs that appear whole or not at all: everything is written into a
// private temporary file beside the target, which is renamed over the target
// only once it is complete and on disk. A target that is a symbolic link is
// written through: the file it points to is replaced, the link stays.
#pragma once

#include "runtime/status.h"

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace output {

using runtime::Status;

// How commit() publishes the file under the target's name.
enum class Publish {
    // Over any file of that name, which lends the new file its permissions.
    replacing,
    // Only while the name is free, checked and taken in one step; a taken
    // name fails as name_taken and leaves the file there as it was.
    only_if_free,
};

// One output file. The constructor creates the temporary file; commit()
// publishes it under the target's name; the destructor removes it unless it
// was committed. An older file of the target's name stays as it was until
// the commit's rename, and for good when anything fails.
//
// Failures read "PATH: cannot create: REASON" (a missing or read-only
// folder, a folder in the target's place, a taken name, a link that points
// nowhere: "a dangling symbolic link", a FIFO or device in the target's
// place: "not a regular file, which is never replaced") or "PATH: cannot write: REASON" (a
// file the running user may not write, which root may; writing, syncing or
// renaming failed), where PATH is the target as given and REASON the
// system's text, for example "shapes/x.bas: cannot create: No such file or
// directory".
class Atomic_file {
public:
    // Creates "NAME.XXXXXX" beside `target`, readable by its owner only, where
    // NAME is the target's file name, cut short so that the temporary's name
    // fits the file system's limit of 255 bytes. Check status(): on failure
    // there is no stream and nothing to remove. With Publish::only_if_free a
    // name already taken fails here at once.
    explicit Atomic_file(std::string target, Publish publish = Publish::replacing);
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

    const std::string& target() const { return target_; }

    // Flushes the stream, syncs the file to disk, gives it the permission
    // bits of the file it replaces (those of a new file under the current
    // umask when there is none) and publishes it as the constructor asked. On
    // failure, or when creating already failed, the temporary file is removed
    // and the status returned; a folder in the target's place counts as
    // cannot_create. Call at most once.
    Status commit();

    // Commits this file and `companion`, a file beside it that belongs to it,
    // as one output: both are published or neither is, the companion with
    // the permission bits this file gets. An older companion comes back when
    // this file cannot be published (on a file system that cannot exchange
    // two names, only a companion that was new is taken back). The two are
    // published while holding a lock on the folder that other pairs take
    // too, so that two runs never mix their pairs, and with the signals that
    // remove temporary files held back, so that an interruption ends the
    // run before both or after both. Call instead of either's commit().
    Status commit_with(Atomic_file& companion);

private:
    bool finish(mode_t mode);
    bool publish();
    void fail(Status::Kind kind, const std::string& reason);
    void discard();

    std::string target_;
    // What is replaced: the target, or the file a link there points to.
    std::string written_;
    Publish publish_;
    std::string temporary_;
    int tracked_slot_ = -1;
    std::FILE* stream_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    Status status_;
    bool committed_ = false;
};

// Whether an Atomic_file for `target` could be made now: the constructor's
// checks, and a temporary file made beside the target and removed at once,
// so that a command refuses an output before it starts its work. A failure
// reads as the constructor's.
Status can_create(const std::string& target);

// Writes `contents` as the whole of `target` through an Atomic_file.
Status write_file(const std::string& target, std::string_view contents, Publish publish = Publish::replacing);

// Removes the temporary files of all Atomic_files that exist at this moment,
// for a signal handler that then ends the process: async-signal-safe, it
// only reads and unlinks. Installs no handler itself. Creating and publishing
// hold SIGINT, SIGTERM and SIGHUP back in the calling thread, so a handler
// for those never finds a temporary file that is not yet or no longer
// recorded. The record is fixed in size: a temporary file beyond it, or with
// a path of PATH_MAX or more, is not recorded.
void remove_temporaries();

} // namespace output
