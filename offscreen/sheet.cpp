#include "offscreen/sheet.h"

#include "font/glyphs.h"
#include "scene/camera.h"

#include <algorithm>
#include <cmath>

namespace offscreen {
namespace {

constexpr int max_columns = 1000;
constexpr char elision[] = "..";

std::string side_range()
{
    return std::to_string(Sheet_layout::min_thumb_side) + " to " + std::to_string(Sheet_layout::max_thumb_side);
}

} // namespace

Status layout_sheet(int count, const Gallery_options& options, Sheet_layout& layout)
{
    if (count < 1)
        return runtime::refused("a gallery needs at least one entry");
    if (options.columns < 0 || options.columns > max_columns)
        return runtime::refused("columns must be from 1 to " + std::to_string(max_columns) + ", or 0 to choose");
    for (const int side : {options.thumb_width, options.thumb_height})
        if (side < Sheet_layout::min_thumb_side || side > Sheet_layout::max_thumb_side)
            return runtime::refused("thumbnail sides must be from " + side_range() + " pixels");
    if (Status angles = check_angles(options.turn, options.tilt); !angles.ok())
        return angles;

    Sheet_layout made;
    made.count = count;
    made.columns = options.columns == 0 ? static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))))
                                        : std::min(options.columns, count);
    made.rows = (count + made.columns - 1) / made.columns;
    made.thumb_width = options.thumb_width;
    made.thumb_height = options.thumb_height;
    const long long width =
        Sheet_layout::gap + made.columns * static_cast<long long>(made.thumb_width + Sheet_layout::gap);
    const long long height = Sheet_layout::gap + made.rows * static_cast<long long>(made.row_pitch());
    if (width > Sheet_layout::max_width || width * height > Sheet_layout::max_pixels)
        return runtime::refused("a sheet of " + std::to_string(width) + " x " + std::to_string(height) +
                                " pixels is too large (at most " + std::to_string(Sheet_layout::max_width) +
                                " wide and " + std::to_string(Sheet_layout::max_pixels) + " pixels)");
    made.width = static_cast<int>(width);
    made.height = static_cast<int>(height);
    layout = made;
    return {};
}

Status check_angles(float turn, float tilt)
{
    if (!std::isfinite(turn))
        return runtime::refused("the turn must be a finite number of degrees");
    constexpr int most = scene::camera::max_tilt;
    if (!(tilt >= -most && tilt <= most))
        return runtime::refused("the tilt must be from " + std::to_string(-most) + " to " + std::to_string(most) +
                                " degrees");
    return {};
}

std::string fit_label(std::string_view name, int width)
{
    // The last character needs its glyph, not the spacing after it.
    const int spacing = font::advance - font::width;
    const std::size_t fits = width < font::width ? 0 : static_cast<std::size_t>((width + spacing) / font::advance);
    std::string label;
    for (std::size_t at = 0; at < name.size(); ++at) {
        const auto code = static_cast<unsigned char>(name[at]);
        if (code >= font::first_code && code <= font::last_code) {
            label += name[at];
            continue;
        }
        // A character of UTF-8 is one '?', however many bytes it takes, and so
        // is a sequence cut short.
        const std::size_t continuation = code >= 0xc2 && code <= 0xdf   ? 1
                                         : code >= 0xe0 && code <= 0xef ? 2
                                         : code >= 0xf0 && code <= 0xf4 ? 3
                                                                        : 0;
        std::size_t taken = 0;
        while (taken < continuation && at + taken + 1 < name.size() &&
               (static_cast<unsigned char>(name[at + taken + 1]) & 0xc0) == 0x80)
            ++taken;
        at += taken;
        label += '?';
    }
    if (label.size() <= fits)
        return label;
    const std::size_t marker = sizeof elision - 1;
    if (fits <= marker)
        return label.substr(0, fits);
    // Saved names differ in their ends (date and time), so the end keeps more.
    const std::size_t head = (fits - marker) / 3;
    const std::size_t tail = fits - marker - head;
    return label.substr(0, head) + elision + label.substr(label.size() - tail);
}

} // namespace offscreen
