#include "tool/progress.h"

#include "runtime/text.h"

#include <cmath>
#include <cstdio>

namespace shapetool {
namespace {

constexpr int bar_cells = 30;

} // namespace

std::string minutes_and_seconds(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        return "--:--";
    const long long whole = std::llround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

Progress::Progress(std::ostream& stream, bool terminal, std::size_t total, bool quiet)
    : stream_(stream), bar_(terminal && total > 1), quiet_(quiet), total_(total)
{
    if (bar_)
        draw_bar();
}

Progress::~Progress()
{
    if (bar_)
        clear_bar();
}

void Progress::done(const std::string& line, bool failed)
{
    ++finished_;
    if (bar_)
        clear_bar();
    if (failed)
        stream_ << "shapetool: " << runtime::one_line(line) << '\n';
    else if (!bar_ && !quiet_)
        stream_ << runtime::one_line(line) << '\n';
    if (bar_)
        draw_bar();
    stream_ << std::flush;
}

void Progress::notice(const std::string& line)
{
    if (quiet_)
        return;
    if (bar_)
        clear_bar();
    stream_ << runtime::one_line(line) << '\n';
    if (bar_)
        draw_bar();
    stream_ << std::flush;
}

void Progress::draw_bar()
{
    const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    const double left = finished_ == 0 ? NAN : elapsed / finished_ * (total_ - finished_);
    const int filled = static_cast<int>(bar_cells * finished_ / total_);
    stream_ << '[' << std::string(filled, '#') << std::string(bar_cells - filled, '.') << "] " << finished_ << '/'
            << total_ << "  " << minutes_and_seconds(left) << " left" << std::flush;
}

// Carriage return, then erase to the end of the line.
void Progress::clear_bar()
{
    stream_ << "\r\x1b[K";
}

} // namespace shapetool
