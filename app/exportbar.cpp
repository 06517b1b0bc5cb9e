#include "app/exportbar.h"

#include "export/file_output.h"
#include "export/formats.h"
#include "export/number_text.h"
#include "export/print_ready.h"
#include "mesh/meshed_shape.h"
#include "mesh/simplify.h"
#include "offscreen/png.h"
#include "output/atomic_file.h"
#include "panel/tweak_bar.h"
#include "params/fields.h"
#include "runtime/fatal_error.h"
#include "snippet/snippet.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using runtime::Status;

// How long the line about an export shows.
constexpr double said_seconds = 5.0;
// shapetool export's limit for --fit.
constexpr float max_fit = 1e6f;

Exporting& exporting_of(void* client_data, const char* routine)
{
    return runtime::checked_deref(static_cast<Exporting*>(client_data), {"supershape", routine});
}

void exportcb(void* client_data)
{
    exporting_of(client_data, "exportcb").do_export = request_pending;
}

void picturecb(void* client_data)
{
    exporting_of(client_data, "picturecb").do_picture = request_pending;
}

const file_export::Format_row& chosen_format(const Exporting& exporting)
{
    std::int32_t place = 0;
    for (const file_export::Format_row& row : file_export::formats)
        if (row.holds_mesh && place++ == exporting.format)
            return row;
    return file_export::formats[0];
}

bool holds(const std::string& path, const std::string& text)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return file && contents.str() == text;
}

// The snippet that holds `text`: the one written last while it still does,
// or a new one under `snippet_name`, whose path goes to `path`.
Status find_snippet(Exporting& exporting, const std::string& text, const std::string& snippet_name, std::string& path)
{
    Saving& saving = exporting.saving;
    if (saving.path.empty() || saving.text != text || !holds(saving.path, text)) {
        std::string written;
        if (const Status status = write_snippet(snippet_name, text, written); !status.ok())
            return status;
        saving.path = written;
        saving.text = text;
    }
    path = saving.path;
    return {};
}

std::pair<std::uint64_t, std::uint64_t> identity(const std::string& path)
{
    struct stat file;
    if (stat(path.c_str(), &file) != 0)
        return {0, 0};
    return {file.st_dev, file.st_ino};
}

// Whether `path` is a file this run wrote that no one has replaced since.
bool own_file(const Exporting& exporting, const std::string& path)
{
    const auto known = exporting.written.find(path);
    return known != exporting.written.end() && known->second == identity(path);
}

// Refuses a file in the way that this run did not write.
Status may_write(const Exporting& exporting, const std::string& path)
{
    std::error_code error;
    if (own_file(exporting, path) || !fs::exists(fs::symlink_status(path, error)))
        return {};
    return runtime::failure(Status::Kind::name_taken, path,
                            std::string(std::strerror(EEXIST)) + ", and not written here, so it is kept");
}

output::Publish publish_for(const Exporting& exporting, const std::string& path)
{
    return own_file(exporting, path) ? output::Publish::replacing : output::Publish::only_if_free;
}

// `path` with the extension of `format`, beside it.
std::string beside(const std::string& path, const char* extension)
{
    return fs::path(path).replace_extension(extension).string();
}

// A value as the bar shows it, read back as shapetool reads the text.
double as_shown(float value)
{
    const std::string text = params::shortest_text(value);
    double read = 0;
    std::from_chars(text.data(), text.data() + text.size(), read);
    return read;
}

std::string refused(const std::string& reason)
{
    return "nothing written: " + reason;
}

} // namespace

Exporting start_exporting(const Tparams& params)
{
    Exporting exporting;
    exporting.saving.params = &params;
    for (const file_export::Format_row& row : file_export::formats)
        if (row.holds_mesh)
            exporting.formats.push_back(row.title);
    return exporting;
}

void init_exportbar(TwBar* bar, Exporting& exporting)
{
    void* e = &exporting;
    TwAddChoice(bar, "Format", &exporting.formats, &exporting.format, nullptr, nullptr,
                " label='Mesh format' help='The format Export mesh writes.' ");
    TwAddVarRW(bar, "Size", TW_TYPE_FLOAT, &exporting.fit,
               (" label='Size (mm)' min=0.1 max=" + params::shortest_text(max_fit) +
                " step=0.1 help='The largest side of the mesh, as shapetool export --fit MM makes it.' ")
                   .c_str());
    TwAddVarRW(bar, "Base", TW_TYPE_FLOAT, &exporting.base,
               (" label='Base (mm)' min=0 max=" + params::shortest_text(max_fit) +
                " step=0.5 help='A flat base for printing, cut this far above the lowest point, as shapetool export "
                "--base MM makes it; 0 for none.' ")
                   .c_str());
    TwAddVarRW(bar, "Triangles", TW_TYPE_INT32, &exporting.triangles,
               " label='Triangles' min=0 max=2147483647 step=10000 help='At most this many triangles, coarser where "
               "the surface is flattest, as shapetool export --triangles N makes it; 0 for all.' ");
    TwAddVarRW(bar, "Shell", TW_TYPE_FLOAT, &exporting.shell,
               (" label='Shell (mm)' min=0 max=" + params::shortest_text(max_fit) +
                " step=0.5 help='Hollow, with a wall this thick everywhere (the base too), as shapetool export "
                "--shell MM makes it; 0 for solid.' ")
                   .c_str());
    TwAddVarRW(bar, "Drain", TW_TYPE_FLOAT, &exporting.drain,
               (" label='Drain (mm)' min=0 max=" + params::shortest_text(max_fit) +
                " step=0.5 help='With a shell, one hole this wide up through the floor into the cavity, so that "
                "resin can leave, as shapetool export --drain MM makes it; 0 for none.' ")
                   .c_str());
    TwAddButton(bar, "Export", exportcb, e,
                " label='Export mesh' key=CTRL+E help='The mesh beside the snippet in shapes/, saved first unless "
                "it is unchanged.' ");
    TwAddButton(bar, "Picture", picturecb, e,
                " label='Picture' key=CTRL+P help='The view as a PNG file beside the snippet in shapes/.' ");
}

std::string export_mesh(Exporting& exporting, const Tparams& params, const std::string& snippet_name)
{
    const file_export::Format_row& format = chosen_format(exporting);
    // Meshed from the snippet's values, as shapetool reads them, before anything is written.
    const std::string text = snippet::text(params);
    Tparams values;
    Status status = snippet::parse(text, snippet_name, values);
    const file_export::Print_request request{{format.up, as_shown(exporting.fit), as_shown(exporting.base)},
                                             std::size_t(std::max(exporting.triangles, 0)),
                                             as_shown(exporting.shell),
                                             as_shown(exporting.drain),
                                             exporting.progress};
    if (request.triangles > 0 && request.triangles < mesh::least_triangles)
        return refused("Triangles: " + std::to_string(mesh::least_triangles) + " or more, or 0 for all");
    if (request.triangles > 0 && request.shell > 0)
        return refused("a shell takes triangles beyond the budget: set Triangles or Shell to 0");
    if (request.drain > 0 && request.shell == 0)
        return refused("a drain needs a shell: set Shell above 0, or Drain to 0");
    mesh::Meshed_shape meshed;
    file_export::Print_words words;
    if (status.ok())
        status = meshed.make(values, mesh::Meshed_shape::Kind::closed);
    if (status.ok())
        status = file_export::make_print_ready(meshed.mesh(), request, format.unit.millimetres, words);
    if (!status.ok())
        return refused(status.message);
    std::string snippet_path;
    if (const Status found = find_snippet(exporting, text, snippet_name, snippet_path); !found.ok())
        return found.message;
    const std::string target = beside(snippet_path, format.extension);
    const std::string companion = format.companion.extension ? file_export::companion_path(target, format)
                                                             : std::string();
    file_export::Export_mesh file{meshed.view(), fs::path(snippet_path).stem().string(), values, "", true};
    status = companion.empty() ? Status{} : may_write(exporting, companion);
    if (status.ok())
        status = may_write(exporting, target);
    if (status.ok())
        status = file_export::write_format_file(target, format, file, publish_for(exporting, target));
    if (!status.ok())
        return status.message;
    for (const std::string& path : {target, companion})
        if (!path.empty())
            exporting.written[path] = identity(path);
    return "exported " + target + ": " + file_export::print_size(file.mesh, format.unit.millimetres) + ", " +
           words.triangles + ", beside its .bas" + (words.shell.empty() ? "" : "; " + words.shell) +
           (words.warning.empty() ? "" : "; " + words.warning);
}

std::string export_picture(Exporting& exporting, const Tparams& params, const offscreen::Image& picture,
                           const std::string& snippet_name)
{
    const std::vector<std::uint8_t> png = offscreen::encode_png(picture);
    if (png.empty())
        return refused("out of memory for the picture");
    std::string snippet_path;
    if (const Status found = find_snippet(exporting, snippet::text(params), snippet_name, snippet_path); !found.ok())
        return found.message;
    const std::string target = beside(snippet_path, "png");
    Status status = may_write(exporting, target);
    if (status.ok())
        status = output::write_file(target, {reinterpret_cast<const char*>(png.data()), png.size()},
                                    publish_for(exporting, target));
    if (!status.ok())
        return status.message;
    exporting.written[target] = identity(target);
    return "exported " + target + ": " + std::to_string(picture.width) + " x " + std::to_string(picture.height) +
           " pixels, beside its .bas";
}

void carry_out_exporting(Exporting& exporting, const Tparams& params, const Shown_shape& shown,
                         const std::function<offscreen::Image()>& picture, double now)
{
    if (exporting.do_export != request_pending && exporting.do_picture != request_pending)
        return;
    const Grid_match match = match_grid(params, shown);
    if (match == Grid_match::following)
        return;
    const bool wants_picture = exporting.do_picture == request_pending;
    const bool wants_mesh = exporting.do_export == request_pending;
    exporting.do_export = exporting.do_picture = request_idle;
    if (match == Grid_match::swapped) {
        exporting.said = refused("swapped axes are not saved: swap back or Reset");
    } else if (match == Grid_match::needs_reset) {
        exporting.said = refused("press Reset first");
    } else {
        exporting.said.clear();
        if (wants_picture) {
            const offscreen::Image image = picture();
            exporting.said = image.width > 0 && image.height > 0
                                 ? export_picture(exporting, params, image, clock_file_name())
                                 : refused("the window has no size");
        }
        if (wants_mesh)
            exporting.said += (exporting.said.empty() ? "" : "; ") + export_mesh(exporting, params, clock_file_name());
    }
    exporting.said_until = now + said_seconds;
}
