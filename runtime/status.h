// The outcome of a call into a module both programs share: success, or the
// kind of failure and one line that says what went wrong. Such modules never
// end the process; each program decides what a failure means for it.
#pragma once

#include <string>
#include <utility>

namespace runtime {

struct Status {
    enum class Kind {
        ok,
        // An input that could not be opened or read.
        unreadable,
        // An input that was read and is not acceptable: a malformed snippet,
        // a shape that cannot be meshed, a request out of range.
        refused,
        // An output that could not be made: a missing or read-only folder, a
        // folder where the file should go.
        cannot_create,
        // Writing, syncing or renaming an output failed, for example on a
        // full device, or the format cannot hold what was asked.
        cannot_write,
        // An output that was to take only a free name found it in use.
        name_taken,
        // Drawing off screen failed or is not possible here.
        cannot_draw,
    };

    Kind kind = Kind::ok;
    // One line without a line end; empty on success.
    std::string message;

    bool ok() const { return kind == Kind::ok; }
};

inline Status failure(Status::Kind kind, std::string message)
{
    return {kind, std::move(message)};
}

// What messages call a failure of `kind`: "cannot read", "cannot create"
// (a taken name too), "cannot write" or "cannot draw"; empty for a refusal,
// whose reason says what is wrong, and for success.
const char* words_of(Status::Kind kind);

// A failure of `kind` for `reason` in words: "cannot write: REASON", or
// "REASON" for a refusal.
std::string describe(Status::Kind kind, const std::string& reason);

// A failure of `kind` about `subject`, such as a file's path, for `reason`:
// "SUBJECT: cannot write: REASON", or "SUBJECT: REASON" for a refusal.
Status failure(Status::Kind kind, const std::string& subject, const std::string& reason);

inline Status refused(std::string message)
{
    return failure(Status::Kind::refused, std::move(message));
}

inline Status cannot_draw(std::string message)
{
    return failure(Status::Kind::cannot_draw, std::move(message));
}

} // namespace runtime
