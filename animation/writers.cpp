#include "animation/writers.h"

#include "runtime/text.h"

namespace animation {

const Format_row* animated_format_for_path(const std::string& path)
{
    const std::string extension = runtime::extension_of(path);
    for (const Format_row& row : formats)
        if (extension == row.extension)
            return &row;
    return nullptr;
}

} // namespace animation
