#include "runtime/console.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace runtime {

void console_line(const char* text)
{
    std::printf("%s\n", text);
    std::fflush(stdout);
}

void error_line(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
}

namespace {

// Passes everything on to std::cout's own buffer, noting the errno value
// of its first failure before a later call can change it.
class First_failure_buffer : public std::streambuf {
public:
    explicit First_failure_buffer(std::streambuf* target) : target_(target) {}
    int first_failure() const { return first_failure_; }

protected:
    int_type overflow(int_type c) override
    {
        errno = 0;
        const int_type put = traits_type::eq_int_type(c, traits_type::eof())
                                 ? traits_type::not_eof(c)
                                 : target_->sputc(traits_type::to_char_type(c));
        if (traits_type::eq_int_type(put, traits_type::eof()))
            note_failure();
        return put;
    }
    std::streamsize xsputn(const char* text, std::streamsize size) override
    {
        errno = 0;
        const std::streamsize put = target_->sputn(text, size);
        if (put < size)
            note_failure();
        return put;
    }
    int sync() override
    {
        errno = 0;
        const int synced = target_->pubsync();
        if (synced != 0)
            note_failure();
        return synced;
    }

private:
    void note_failure()
    {
        if (first_failure_ == 0)
            first_failure_ = errno != 0 ? errno : EIO;
    }

    std::streambuf* target_;
    int first_failure_ = 0;
};

First_failure_buffer* watched = nullptr;

} // namespace

void watch_standard_output()
{
    // Never destroyed: std::cout is flushed once more after static objects go.
    watched = new First_failure_buffer(std::cout.rdbuf());
    std::cout.rdbuf(watched);
}

int finish_standard_output()
{
    // stdout first: std::cout's flush flushes it too, and would take the
    // reason with it.
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout);
    const int flush_failure = errno != 0 ? errno : EIO;
    std::cout.flush();
    if (watched && watched->first_failure() != 0)
        return watched->first_failure();
    return flushed && std::cout ? 0 : flush_failure;
}

void pause_for_key(int milliseconds)
{
    termios saved{};
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved) != 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    // Without line buffering a single key ends the wait, not only Enter.
    termios single_keys = saved;
    single_keys.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    tcsetattr(STDIN_FILENO, TCSANOW, &single_keys);
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, milliseconds) > 0) {
        char key;
        ssize_t ignored = read(STDIN_FILENO, &key, 1);
        (void)ignored;
    }
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}

} // namespace runtime
