#include "runtime/console.h"

#include <cstdio>
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
