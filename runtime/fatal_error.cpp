// The fatal-error report and the signal handlers that raise it.
#include "runtime/fatal_error.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <unistd.h>

namespace runtime {
namespace {

constexpr const char* error_texts[] = {
    "illegal function call",
    "file not found",
    "file I/O error",
    "out of memory",
    "illegal resume",
    "out of bounds array access",
    "null pointer access",
    "no priviledges",
    "\"interrupted\" signal",
    "\"illegal instruction\" signal",
    "\"floating point error\" signal",
    "\"segmentation violation\" signal",
    "\"termination request\" signal",
    "\"abnormal termination\" signal",
    "\"quit request\" signal",
    "return without gosub",
    "end of file",
};

std::string upper(const char* name)
{
    std::string text = name ? name : "";
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

struct Signal_report {
    int signal;
    Runtime_error error;
    char text[256];
    std::size_t length;
};

Signal_report signal_reports[] = {
    {SIGINT, interrupted_signal, {}, 0},          {SIGILL, illegal_instruction_signal, {}, 0},
    {SIGFPE, floating_point_error_signal, {}, 0}, {SIGSEGV, segmentation_violation_signal, {}, 0},
    {SIGTERM, termination_request_signal, {}, 0}, {SIGABRT, abnormal_termination_signal, {}, 0},
};

// A handler for a stack overflow needs a stack of its own.
alignas(16) char signal_stack[64 * 1024];

void (*cleanup_before_exit)() = nullptr;

void report_signal(int signal)
{
    if (cleanup_before_exit)
        cleanup_before_exit();
    for (const Signal_report& report : signal_reports) {
        if (report.signal == signal) {
            ssize_t written = write(STDERR_FILENO, report.text, report.length);
            (void)written;
            _exit(report.error);
        }
    }
    _exit(abnormal_termination_signal);
}

// A hang-up ends the process as it did before, after the cleanup.
void clean_up_and_hang_up(int signal)
{
    cleanup_before_exit();
    std::signal(signal, SIG_DFL);
    raise(signal);
}

} // namespace

const char* Failure::what() const noexcept
{
    if (error >= 1 && error <= static_cast<int>(std::size(error_texts)))
        return error_texts[error - 1];
    return "runtime error";
}

std::string fatal_error_report(int error, const Error_site& site)
{
    std::string report = "\r\nAborting due to runtime error " + std::to_string(error);
    if (error >= 1 && error <= static_cast<int>(std::size(error_texts)))
        report += std::string(" (") + error_texts[error - 1] + ")";
    if (site.line > 0)
        report += " at line " + std::to_string(site.line);
    report += site.line > 0 ? " of " : " in ";
    report += upper(site.module);
    if (site.routine)
        report += "::" + upper(site.routine);
    report += "()\r\n\r\n";
    return report;
}

void fatal_error(int error, const Error_site& site)
{
    const std::string report = fatal_error_report(error, site);
    std::fwrite(report.data(), 1, report.size(), stderr);
    std::fflush(stderr);
    std::_Exit(error);
}

void install_signal_reports(const char* module, void (*before_exit)())
{
    cleanup_before_exit = before_exit;
    for (Signal_report& report : signal_reports) {
        const std::string text = fatal_error_report(report.error, Error_site{module});
        report.length = std::min(text.size(), sizeof report.text);
        std::memcpy(report.text, text.data(), report.length);
    }

    stack_t stack{};
    stack.ss_sp = signal_stack;
    stack.ss_size = sizeof signal_stack;
    sigaltstack(&stack, nullptr);

    struct sigaction action {};
    action.sa_handler = report_signal;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const Signal_report& report : signal_reports)
        sigaction(report.signal, &action, nullptr);
    if (before_exit) {
        action.sa_handler = clean_up_and_hang_up;
        sigaction(SIGHUP, &action, nullptr);
    }
}

} // namespace runtime
