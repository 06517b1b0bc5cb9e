// Runs code in a forked child and collects what it wrote and how it ended,
// for testing paths that end the process.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace test_support {

struct Child_result {
    int exit_status = -1;  // -1 when the child was killed by a signal
    int signal = 0;        // the signal that killed it, else 0
    std::string standard_output;
    std::string standard_error;
};

// `body` runs in the child; if it returns, the child exits with status 0.
Child_result run_in_child(const std::function<void()>& body);

// Runs the program at `path` with `arguments` in `folder`, without a display.
Child_result run_program(const std::string& path, std::vector<std::string> arguments, const std::string& folder);

} // namespace test_support
