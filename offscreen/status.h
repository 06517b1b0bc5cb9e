// The outcome of an off-screen call that can fail at run time.
#pragma once

#include <string>

namespace offscreen {

struct Status {
    // What failed, in a few words for a one-line message; empty on success.
    std::string error;

    bool ok() const { return error.empty(); }
};

} // namespace offscreen
