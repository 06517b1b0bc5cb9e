// shapetool: reads snippets saved by the editor and turns them into meshes
// and pictures, without a display.
#include "output/atomic_file.h"
#include "runtime/console.h"
#include "runtime/status.h"
#include "tool/command_line.h"
#include "tool/progress.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <unistd.h>

namespace {

// Interrupted, a run removes the files it was writing, and its bar, and
// ends as the shell reports a signal.
void interrupted(int signal)
{
    output::remove_temporaries();
    shapetool::clear_bar_on_signal();
    _exit(128 + signal);
}

void remove_temporaries_on_signals()
{
    struct sigaction action {};
    action.sa_handler = interrupted;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&action.sa_mask, signal);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    remove_temporaries_on_signals();
    runtime::watch_standard_output();
    shapetool::Console console{std::cout, std::cerr, isatty(STDERR_FILENO) != 0, isatty(STDOUT_FILENO) != 0};
    int status = shapetool::exit_success;
    try {
        status = shapetool::run(argc, argv, console);
    } catch (const std::exception& error) {
        std::cerr << "shapetool: " << error.what() << '\n';
        status = shapetool::exit_bad_input;
    }
    // What standard output could not take is lost: a failure, as for a file.
    if (const int error = runtime::finish_standard_output()) {
        std::cerr
            << "shapetool: "
            << runtime::failure(runtime::Status::Kind::cannot_write, "standard output", std::strerror(error)).message
            << '\n';
        status = shapetool::exit_output_failed;
    }
    return status;
}
