#include "tool/pictures.h"

#include "offscreen/png.h"
#include "runtime/text.h"
#include "tool/write_output.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace shapetool {

std::string refused_png(const std::string& output, const Console& console)
{
    if (output == standard_stream)
        return console.out_is_terminal
                   ? "a PNG file is binary; redirect standard output to a file or a pipe, or give -o FILE.png"
                   : "";
    return output.empty() || runtime::extension_of(output) == "png"
               ? ""
               : "-o must name a .png file, or - for standard output";
}

Meshed_shape::Kind mesh_kind(bool solid)
{
    return solid ? Meshed_shape::Kind::closed : Meshed_shape::Kind::wire;
}

offscreen::Model model_of(const Meshed_shape& meshed, const Tparams& params, bool solid)
{
    offscreen::Model model;
    model.mesh = meshed.view();
    model.style = solid ? offscreen::Model::Style::solid : offscreen::Model::Style::wire;
    std::copy(params.color, params.color + 4, model.color);
    return model;
}

Status write_png(const std::string& target, const offscreen::Image& image)
{
    return write_output(target, [&image](std::FILE* out) {
        const std::vector<std::uint8_t> png = offscreen::encode_png(image);
        if (png.empty())
            return runtime::failure(Status::Kind::cannot_write, "the picture could not be encoded");
        errno = 0;
        if (std::fwrite(png.data(), 1, png.size(), out) != png.size() || std::fflush(out) != 0)
            return runtime::failure(Status::Kind::cannot_write, std::strerror(errno != 0 ? errno : EIO));
        return Status{};
    });
}

bool open_renderer(offscreen::Renderer& renderer, Console& console)
{
    offscreen::keep_freed_memory();
    const Status opened = renderer.open();
    if (!opened.ok())
        report(console, runtime::describe(opened.kind, opened.message));
    return opened.ok();
}

} // namespace shapetool
