// What the writers share: checked output to a C stream and the text forms
// of the parameters.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace mesh::detail {

// Writes `bytes` bytes to `out`: 0, or the errno of the failure.
int write_bytes(std::FILE* out, const void* data, std::size_t bytes);
// Flushes `out`: 0, or the errno of the failure.
int flush(std::FILE* out);

// The shortest text that reads back as `value`, such as "0.3" or "1e-08".
std::string float_text(float value);
// `text` with the quote, the backslash and bytes outside printable ASCII
// escaped as \", \\ and \xHH.
std::string escaped(std::string_view text);

} // namespace mesh::detail
