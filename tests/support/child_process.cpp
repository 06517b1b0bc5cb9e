#include "tests/support/child_process.h"

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace test_support {
namespace {

void read_to_end(int fd, std::string& text)
{
    char buffer[4096];
    for (ssize_t count; (count = read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(count));
    close(fd);
}

} // namespace

Child_result run_in_child(const std::function<void()>& body)
{
    Child_result result;
    int pipes[2][2];
    if (pipe(pipes[0]) != 0 || pipe(pipes[1]) != 0)
        return result;
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        for (int i = 0; i < 2; ++i) {
            dup2(pipes[i][1], STDOUT_FILENO + i);
            close(pipes[i][0]);
            close(pipes[i][1]);
        }
        body();
        std::fflush(nullptr);
        _exit(0);
    }
    close(pipes[0][1]);
    close(pipes[1][1]);
    // Both pipes are read at once, so that the child never waits on a full one.
    std::thread error_reader(read_to_end, pipes[1][0], std::ref(result.standard_error));
    read_to_end(pipes[0][0], result.standard_output);
    error_reader.join();
    int status = 0;
    waitpid(child, &status, 0);
    result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
