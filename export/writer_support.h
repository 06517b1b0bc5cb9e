// What the writers share: checked output to a C stream, the one way a
// writer reports how it went, and colours as readers take them.
#pragma once

#include "runtime/status.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace file_export::detail {

// Writes `bytes` bytes to `out`: 0, or the errno of the failure.
int write_bytes(std::FILE* out, const void* data, std::size_t bytes);
// Flushes `out`: 0, or the errno of the failure.
int flush(std::FILE* out);

// Success for 0; otherwise cannot_write with the error's text, such as "No
// space left on device".
runtime::Status write_status(int error);

// An sRGB colour byte as a linear fraction, as glTF's colour factors and
// Blender take colours.
double linear(std::uint8_t byte);

} // namespace file_export::detail
