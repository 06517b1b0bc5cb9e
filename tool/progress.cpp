#include "tool/progress.h"

#include "runtime/text.h"

#include <cmath>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace shapetool {
namespace {

constexpr int bar_cells = 30;

// Carriage return, then erase to the end of the line.
constexpr char clear_line[] = "\r\x1b[K";

// Whether a bar stands on standard error's last line, for a signal handler.
volatile std::sig_atomic_t bar_shown = 0;

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

void Progress::stop(const std::string& line)
{
    if (bar_)
        clear_bar();
    bar_ = false;
    stream_ << "shapetool: " << runtime::one_line(line) << '\n' << std::flush;
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
    // Set first, so that a signal in the middle clears what was drawn.
    bar_shown = 1;
    const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    const double left = finished_ == 0 ? NAN : elapsed / finished_ * (total_ - finished_);
    const int filled = static_cast<int>(bar_cells * finished_ / total_);
    stream_ << '[' << std::string(filled, '#') << std::string(bar_cells - filled, '.') << "] " << finished_ << '/'
            << total_ << "  " << minutes_and_seconds(left) << " left" << std::flush;
}

void Progress::clear_bar()
{
    stream_ << clear_line << std::flush;
    bar_shown = 0;
}

void clear_bar_on_signal()
{
    // Nothing more can be done about a failed write here.
    if (bar_shown && write(STDERR_FILENO, clear_line, sizeof clear_line - 1) < 0)
        return;
}

} // namespace shapetool
