// shapetool's help as CLI11 prints it, in the one form that the manual page
// and the bash completion read back: lines of at most 79 columns; sections
// under a title ("Options:"), each entry "  NAME  what it is" with the
// value's name (FILE, DIR, N, WxH, y|z) after a flag; nothing of CLI11's
// own wording.
#pragma once

#include <memory>

namespace CLI {
class FormatterBase;
}

namespace shapetool {

// Text wider than this is filled into lines.
constexpr int help_width = 79;

// Set on the top command before its commands are added, which inherit it.
std::shared_ptr<CLI::FormatterBase> help_formatter();

} // namespace shapetool
