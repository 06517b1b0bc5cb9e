// Runs code in a forked child, for paths that end the process, and collects its output and status.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace test_support {

struct Child_result {
    int exit_status = -1; // -1 when the child was killed by a signal
    std::string standard_output;
    std::string standard_error;
};

// `body` runs in the child; if it returns, the child exits with status 0.
Child_result run_in_child(const std::function<void()>& body);

// Runs the program at `path` with `arguments` in `folder`, without a display.
Child_result run_program(const std::string& path, std::vector<std::string> arguments, const std::string& folder);

} // namespace test_support
