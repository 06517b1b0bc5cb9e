#include "tests/support/child_process.h"

#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace test_support {

Child_result run_in_child(const std::function<void()>& body)
{
    Child_result result;
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0)
        return result;
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(pipe_ends[0]);
        dup2(pipe_ends[1], STDERR_FILENO);
        close(pipe_ends[1]);
        body();
        std::fflush(nullptr);
        _exit(0);
    }
    close(pipe_ends[1]);
    char buffer[4096];
    ssize_t count;
    while ((count = read(pipe_ends[0], buffer, sizeof buffer)) > 0)
        result.standard_error.append(buffer, static_cast<std::size_t>(count));
    close(pipe_ends[0]);

    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status))
        result.exit_status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    return result;
}

} // namespace test_support
