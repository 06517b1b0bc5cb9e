#include "tool/report.h"

#include "runtime/text.h"

#include <algorithm>

namespace shapetool {

int exit_status_of(const Status& status)
{
    if (status.ok())
        return exit_success;
    const bool input = status.kind == Status::Kind::refused || status.kind == Status::Kind::unreadable;
    return input ? exit_bad_input : exit_output_failed;
}

int worse(int first, int second)
{
    return std::max(first, second);
}

void report(Console& console, const std::string& line)
{
    console.err << "shapetool: " << runtime::one_line(line) << '\n' << std::flush;
}

int usage_error(Console& console, const std::string& line)
{
    report(console, line);
    return exit_usage;
}

} // namespace shapetool
