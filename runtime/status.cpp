#include "runtime/status.h"

namespace runtime {

const char* words_of(Status::Kind kind)
{
    switch (kind) {
    case Status::Kind::ok:
    case Status::Kind::refused: return "";
    case Status::Kind::unreadable: return "cannot read";
    case Status::Kind::cannot_create:
    case Status::Kind::name_taken: return "cannot create";
    case Status::Kind::cannot_write: return "cannot write";
    case Status::Kind::cannot_draw: return "cannot draw";
    }
    return "";
}

std::string describe(Status::Kind kind, const std::string& reason)
{
    const std::string words = words_of(kind);
    return words.empty() ? reason : words + ": " + reason;
}

Status failure(Status::Kind kind, const std::string& subject, const std::string& reason)
{
    return {kind, subject + ": " + describe(kind, reason)};
}

} // namespace runtime
