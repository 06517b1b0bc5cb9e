// The contact sheet's geometry and labels, without GL: a grid of cells on a
// dark ground, each a thumbnail with a strip for its name right under it.
#pragma once

#include "runtime/status.h"

#include <string>
#include <string_view>

namespace offscreen {

using runtime::Status;

struct Gallery_options {
    // 0: about as many columns as rows. More columns than entries are not
    // made.
    int columns = 0;
    int thumb_width = 160, thumb_height = 120;
    // Degrees about the vertical axis, and the camera's above the equator
    // (Picture_options), for every thumbnail.
    float turn = 0.0f;
    float tilt = 0.0f;
};

// Refused unless `turn` is a finite number of degrees and `tilt` is from
// -90 to 90.
Status check_angles(float turn, float tilt);

struct Sheet_layout {
    // Ground around and between the cells.
    static constexpr int gap = 8;
    // The name's strip under each thumbnail.
    static constexpr int label_height = 20;
    // Thumbnail sides, and sheets, that are made.
    static constexpr int min_thumb_side = 32, max_thumb_side = 2048;
    static constexpr int max_width = 16384;
    static constexpr long long max_pixels = 1LL << 26;

    int count = 0, columns = 0, rows = 0;
    int thumb_width = 0, thumb_height = 0;
    int width = 0, height = 0;

    // A thumbnail's top-left corner, in pixels from the sheet's top-left.
    int thumb_x(int index) const { return gap + index % columns * (thumb_width + gap); }
    int thumb_y(int index) const { return gap + index / columns * row_pitch(); }
    // From one row's top to the next.
    int row_pitch() const { return thumb_height + label_height + gap; }
};

// The layout for `count` entries; refused when there are none, when the
// options are out of range, or when the sheet would be too large.
Status layout_sheet(int count, const Gallery_options& options, Sheet_layout& layout);

// `name` as it fits in `width` pixels of the raster font: characters without
// a glyph become one '?' each (a byte that is not UTF-8 counts as one), and a name too long loses its middle to "..".
std::string fit_label(std::string_view name, int width);

} // namespace offscreen
