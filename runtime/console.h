// The program's few console lines outside the fatal-error report.
#pragma once

namespace runtime {

// Writes `text` and a line break to standard output.
void console_line(const char* text);

// Writes `text` and a line break to standard error.
void error_line(const char* text);

// Waits `milliseconds`, or until a key is pressed when standard input is a
// terminal.
void pause_for_key(int milliseconds);

} // namespace runtime
