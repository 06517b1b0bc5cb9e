// The program's few console lines outside the fatal-error report.
#pragma once

namespace runtime {

// Writes `text` and a line break to standard output.
void console_line(const char* text);

// Writes `text` and a line break to standard error.
void error_line(const char* text);

// Keeps the reason of the first write to standard output through std::cout
// that fails, which the stream's state alone forgets. Call once at start.
void watch_standard_output();

// Flushes std::cout and stdout: 0 when standard output took everything
// written to it, else the reason it did not (an errno value).
int finish_standard_output();

// Waits `milliseconds`, or until a key is pressed when standard input is a
// terminal.
void pause_for_key(int milliseconds);

} // namespace runtime
