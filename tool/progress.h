// What a batch tells the user on standard error while it runs: a line per
// file when the stream is a file or a pipe, a bar with the count and the
// time left when it is a terminal; failures always, as "shapetool: ...".
#pragma once

#include <chrono>
#include <cstddef>
#include <ostream>
#include <string>

namespace shapetool {

class Progress {
public:
    using Clock = std::chrono::steady_clock;

    // `total` files in all; the bar shows only on a terminal and for more
    // than one file. `quiet` leaves out the lines of files that went well.
    Progress(std::ostream& stream, bool terminal, std::size_t total, bool quiet = false);
    ~Progress();

    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // A file is done; `line` says how it went. On a terminal with a bar only
    // failures are kept above the bar.
    void done(const std::string& line, bool failed);
    // A failure that ends the run: the bar is cleared first and not drawn
    // again, and `line` said on a line of its own.
    void stop(const std::string& line);
    // Advice about the file just done, such as the size it prints at: a
    // line of its own, kept above a bar; none when quiet.
    void notice(const std::string& line);

private:
    void draw_bar();
    void clear_bar();

    std::ostream& stream_;
    bool bar_;
    bool quiet_;
    std::size_t total_;
    std::size_t finished_ = 0;
    Clock::time_point start_ = Clock::now();
};

// Clears a bar shown on standard error, for a signal handler that then ends
// the process, so that the shell's prompt starts a clean line:
// async-signal-safe.
void clear_bar_on_signal();

// "1:05" for 65 seconds; "--:--" while nothing is known.
std::string minutes_and_seconds(double seconds);

} // namespace shapetool
