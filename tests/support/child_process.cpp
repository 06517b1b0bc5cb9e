#include "tests/support/child_process.h"

#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace test_support {
namespace {

// Reads both pipes to their ends, whichever the child fills first.
void drain(int output_fd, int error_fd, Child_result& result)
{
    pollfd fds[2] = {{output_fd, POLLIN, 0}, {error_fd, POLLIN, 0}};
    std::string* texts[2] = {&result.standard_output, &result.standard_error};
    int open_count = 2;
    while (open_count > 0 && poll(fds, 2, -1) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t count = read(fds[i].fd, buffer, sizeof buffer);
            if (count > 0) {
                texts[i]->append(buffer, static_cast<std::size_t>(count));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_count;
            }
        }
    }
}

} // namespace

Child_result run_in_child(const std::function<void()>& body)
{
    Child_result result;
    int output_pipe[2], error_pipe[2];
    if (pipe(output_pipe) != 0 || pipe(error_pipe) != 0)
        return result;
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(output_pipe[0]);
        close(error_pipe[0]);
        dup2(output_pipe[1], STDOUT_FILENO);
        dup2(error_pipe[1], STDERR_FILENO);
        close(output_pipe[1]);
        close(error_pipe[1]);
        body();
        std::fflush(nullptr);
        _exit(0);
    }
    close(output_pipe[1]);
    close(error_pipe[1]);
    drain(output_pipe[0], error_pipe[0], result);

    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status))
        result.exit_status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    return result;
}

Child_result run_program(const std::string& path, std::vector<std::string> arguments, const std::string& folder)
{
    arguments.insert(arguments.begin(), path);
    return run_in_child([&] {
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (chdir(folder.c_str()) == 0 && unsetenv("DISPLAY") == 0)
            execv(argv[0], argv.data());
        _exit(127);
    });
}

} // namespace test_support
