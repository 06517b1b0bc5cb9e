// The contact sheet drawn: bands of cells, each a thumbnail with its name
// under it, read back into one image. The sheet's layout is in sheet.cpp.
#include "offscreen/renderer.h"

#include "font/Trasterfont.h"
#include "font/glyphs.h"

#include <GL/gl.h>

#include <algorithm>
#include <new>
#include <vector>

namespace offscreen {
namespace {

// The sheet's ground, between and around the black thumbnails.
constexpr GLfloat ground[] = {40 / 255.0f, 40 / 255.0f, 40 / 255.0f};
constexpr GLubyte failure_color[] = {255, 96, 96};
// A name's baseline above the bottom of its strip, with room for descenders.
constexpr int label_baseline = 5;
// Rows of cells drawn at once: as many as fit a framebuffer of this many
// pixels of the sheet (four times as many drawn, for smooth edges), so that
// a sheet of any length needs no larger one.
constexpr long long band_pixels = 1LL << 20;

// One unit a pixel inside the viewport (x, y, width, height), y up.
void pixel_view(int x, int y, int width, int height)
{
    glViewport(x, y, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// A line centred in a viewport `width` pixels wide, the text fitted to it.
void print_centred(const Trasterfont& font, std::string_view text, int width, int baseline)
{
    const std::string line = fit_label(text, width);
    const int spacing = font::advance - font::width;
    const int line_width = static_cast<int>(line.size()) * font::advance - spacing;
    // Text is drawn over whatever depth the cell holds.
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_DEPTH_TEST);
    font.print(std::max(0, (width - line_width) / 2), baseline, line);
    glPopAttrib();
}

// Where a cell lies in the band's framebuffer, in the sheet's pixels: the
// lower left of its thumbnail and the bottom of its name's strip.
struct Cell {
    int x, thumb_y, label_y;
};

Cell cell_at(const Sheet_layout& layout, int index, int band_top, int band_height)
{
    // Sheet rows run down from the top, GL's up from the bottom.
    const int thumb_y = band_height - (layout.thumb_y(index) - band_top) - layout.thumb_height;
    return {layout.thumb_x(index), thumb_y, thumb_y - Sheet_layout::label_height};
}

} // namespace

Status Renderer::gallery(int count, const Gallery_source& source, const Gallery_options& options, Image& sheet)
{
    Sheet_layout layout;
    if (Status laid = layout_sheet(count, options, layout); !laid.ok())
        return laid;

    const long long band_rows = band_pixels / (static_cast<long long>(layout.width) * layout.row_pitch());
    const int rows_per_band = static_cast<int>(std::clamp<long long>(band_rows, 1, layout.rows));
    const int framebuffer_height = rows_per_band * layout.row_pitch() + Sheet_layout::gap;
    Image made;
    made.width = layout.width;
    made.height = layout.height;
    const std::size_t row_bytes = static_cast<std::size_t>(layout.width) * Image::channels;
    std::vector<Gallery_entry> band;
    try {
        made.rgb.resize(row_bytes * static_cast<std::size_t>(layout.height));
    } catch (const std::bad_alloc&) {
        return runtime::cannot_draw("out of memory for the sheet");
    }

    for (int first_row = 0; first_row < layout.rows; first_row += rows_per_band) {
        if (Status bound = context.use_framebuffer(layout.width, framebuffer_height); !bound.ok())
            return bound;
        const int end_row = std::min(layout.rows, first_row + rows_per_band);
        // The band's sheet rows, the gap above its cells included.
        const int top = first_row * layout.row_pitch();
        const int bottom = end_row == layout.rows ? layout.height : end_row * layout.row_pitch();
        glDisable(GL_SCISSOR_TEST);
        glClearColor(ground[0], ground[1], ground[2], 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glEnable(GL_SCISSOR_TEST);
        // The shapes first, at the framebuffer's scale; then, at the
        // sheet's own, the text, crisp. Only the text is kept between.
        band.clear();
        const int first = first_row * layout.columns, end = std::min(layout.count, end_row * layout.columns);
        for (int index = first; index < end; ++index) {
            Gallery_entry entry;
            Status drawn = source(index, entry);
            if (drawn.ok() && entry.failure.empty())
                drawn = check_model(entry.model);
            if (drawn.ok())
                drawn = draw_thumbnail(layout, entry, index, options, top, framebuffer_height);
            if (!drawn.ok()) {
                glDisable(GL_SCISSOR_TEST);
                return entry.name.empty() ? drawn : runtime::failure(drawn.kind, entry.name + ": " + drawn.message);
            }
            entry.model = {};
            band.push_back(std::move(entry));
        }
        glDisable(GL_SCISSOR_TEST);
        context.resolve();
        glEnable(GL_SCISSOR_TEST);
        for (int index = first; index < end; ++index)
            draw_text(layout, band[static_cast<std::size_t>(index - first)], index, top, framebuffer_height);
        glDisable(GL_SCISSOR_TEST);
        // The band lies at the framebuffer's top.
        context.read(framebuffer_height - (bottom - top), bottom - top, Context::Pixels::rgb,
                     made.rgb.data() + static_cast<std::size_t>(top) * row_bytes);
    }
    if (Status drawn = gl_status(); !drawn.ok())
        return drawn;
    sheet = std::move(made);
    return {};
}

Status Renderer::draw_thumbnail(const Sheet_layout& layout, const Gallery_entry& entry, int index,
                                const Gallery_options& options, int band_top, int band_height)
{
    const Cell cell = cell_at(layout, index, band_top, band_height);
    const int scale = context.scale(), width = scale * layout.thumb_width, height = scale * layout.thumb_height;
    glScissor(scale * cell.x, scale * cell.thumb_y, width, height);
    if (!entry.failure.empty()) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return {};
    }
    return draw_model(entry.model, scale * cell.x, scale * cell.thumb_y, width, height, options.turn, options.tilt);
}

void Renderer::draw_text(const Sheet_layout& layout, const Gallery_entry& entry, int index, int band_top,
                         int band_height)
{
    const Cell cell = cell_at(layout, index, band_top, band_height);
    if (!entry.failure.empty()) {
        glScissor(cell.x, cell.thumb_y, layout.thumb_width, layout.thumb_height);
        pixel_view(cell.x, cell.thumb_y, layout.thumb_width, layout.thumb_height);
        glColor3ubv(failure_color);
        print_centred(*font, entry.failure, layout.thumb_width, layout.thumb_height / 2 - font::height / 2);
    }
    glScissor(cell.x, cell.label_y, layout.thumb_width, Sheet_layout::label_height);
    pixel_view(cell.x, cell.label_y, layout.thumb_width, Sheet_layout::label_height);
    glColor3f(1.0f, 1.0f, 1.0f);
    print_centred(*font, entry.name, layout.thumb_width, label_baseline);
}

} // namespace offscreen
