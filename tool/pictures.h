// What the picture commands share: which outputs take a PNG picture, the
// model a shape is drawn as, the renderer's start, and PNG files written
// whole.
#pragma once

#include "offscreen/renderer.h"
#include "tool/meshed_shape.h"
#include "tool/report.h"

#include <string>

namespace shapetool {

// The extension of the pictures in a folder.
constexpr char png_extension[] = "png";

// Why `output` cannot take a PNG picture, as a usage error; empty when it can.
std::string refused_png(const std::string& output, const Console& console);

// The wire strip of the editor's own grid, or the closed mesh as a surface.
Meshed_shape::Kind mesh_kind(bool solid);

offscreen::Model model_of(const Meshed_shape& meshed, const Tparams& params, bool solid);

// Writes `image` as a PNG file at `target`, or to standard output for "-".
Status write_png(const std::string& target, const offscreen::Image& image);

// Starts the renderer; false after saying why it cannot.
bool open_renderer(offscreen::Renderer& renderer, Console& console);

} // namespace shapetool
