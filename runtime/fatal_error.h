// The program's one fatal-error channel: a fixed report on standard error,
// then the process ends with the error number as its exit status.
#pragma once

#include <cstddef>
#include <exception>
#include <string>

namespace runtime {

enum Runtime_error : int {
    illegal_function_call = 1,
    file_not_found = 2,
    file_io_error = 3,
    out_of_memory = 4,
    illegal_resume = 5,
    out_of_bounds_array_access = 6,
    null_pointer_access = 7,
    no_privileges = 8,
    interrupted_signal = 9,
    illegal_instruction_signal = 10,
    floating_point_error_signal = 11,
    segmentation_violation_signal = 12,
    termination_request_signal = 13,
    abnormal_termination_signal = 14,
    quit_request_signal = 15,
    return_without_gosub = 16,
    end_of_file = 17,
};

// Where an error was raised. `routine` may be null (the report then names
// the module alone); `line` 0 means the source line is not known.
struct Error_site {
    const char* module;
    const char* routine = nullptr;
    int line = 0;
};

// A failure raised by code that more than one program shares: each program's
// edge turns it into the fatal-error report or into a message of its own.
struct Failure : std::exception {
    Failure(int error, const Error_site& site) : error(error), site(site) {}
    // The error's text, such as "out of memory".
    const char* what() const noexcept override;

    int error;
    Error_site site;
};

// The exact report text for `error` raised at `site`.
std::string fatal_error_report(int error, const Error_site& site);

// Writes the report to standard error and ends the process with `error`.
[[noreturn]] void fatal_error(int error, const Error_site& site);

// Turns interrupt, illegal instruction, floating-point error, segmentation
// violation, termination request and abort into the report (errors 9 to 14),
// naming `module`. The reports are prepared here, so the handler only writes
// and exits. `before_exit`, when not null, runs first in the handler, and on
// a hang-up, which then ends the process as it would have without a handler:
// a program's cleanup that must be async-signal-safe, such as removing the
// files it was writing.
void install_signal_reports(const char* module, void (*before_exit)() = nullptr);

// An element of a fixed table at a computed index; error 6 when out of range.
template <class T, std::size_t N>
T& checked_at(T (&table)[N], long long index, const Error_site& site)
{
    if (index < 0 || static_cast<unsigned long long>(index) >= N)
        fatal_error(out_of_bounds_array_access, site);
    return table[index];
}

// The object behind a pointer that may be null; error 7 when it is.
template <class T>
T& checked_deref(T* object, const Error_site& site)
{
    if (object == nullptr)
        fatal_error(null_pointer_access, site);
    return *object;
}

} // namespace runtime
