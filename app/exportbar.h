// The bar "Export": a mesh format, a size and the buttons that write the
// shape's mesh or its picture beside its snippet, as shapetool would from
// that snippet; and the line that says what was written, or why not.
#pragma once

#include "app/frame.h"
#include "app/save.h"
#include "offscreen/image.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct TwBar;

struct Exporting {
    Saving saving;
    // The mesh format, by its place among the format table's mesh rows,
    // whose titles the list shows.
    std::int32_t format = 0;
    std::vector<std::string> formats;
    // The largest side in millimetres, as shapetool export's --fit.
    float fit = 50.0f;
    // A flat base this many millimetres above the lowest point, as
    // shapetool export's --base; 0 for none.
    float base = 0.0f;
    // At most this many triangles, as its --triangles; 0 for all.
    std::int32_t triangles = 0;
    // Hollow with a wall this many millimetres thick, as its --shell; 0 for
    // solid.
    float shell = 0.0f;
    // With a shell, a drain this many millimetres across, as its --drain; 0
    // for none.
    float drain = 0.0f;
    // Told the share done while a shell is built, so that the window can
    // say so; may be empty.
    std::function<void(double)> progress;
    // Requests, as the main bar's: -1 asks, the frame loop acts and writes
    // 0; one however often pressed within a frame.
    std::int32_t do_export = 0, do_picture = 0;
    // What the last export or picture did, and until when (in the window
    // library's seconds) the window says it.
    std::string said;
    double said_until = 0;
    // Each file this run wrote, by path, with its device and inode: a later
    // export replaces such a file while it is still the one written, and
    // never any other.
    std::map<std::string, std::pair<std::uint64_t, std::uint64_t>> written;
};

// Exporting the values of `params`, which Save saves too, in STL at 50 mm.
Exporting start_exporting(const Tparams& params);

// Fills `bar` with the format list, the size and the two buttons (Ctrl+E
// and Ctrl+P), bound to `exporting`.
void init_exportbar(TwBar* bar, Exporting& exporting);

// Writes the shape's mesh in the chosen format beside its snippet: byte for
// byte what shapetool export SNIPPET -o NAME.EXT --fit MM --base MM
// --triangles N --shell MM --drain MM writes (none of these for 0), from the
// values the snippet holds. The snippet is the one written last by Save or
// an export while the shape and that file are unchanged; otherwise the
// shape is saved first, as Save saves it under `snippet_name`. Returns the
// line that says what was written, or why nothing was.
std::string export_mesh(Exporting& exporting, const Tparams& params, const std::string& snippet_name);

// Writes `picture` as a PNG file beside the shape's snippet, found or saved
// as export_mesh does. Returns the line that says so, or why not.
std::string export_picture(Exporting& exporting, const Tparams& params, const offscreen::Image& picture,
                           const std::string& snippet_name);

// Export and Picture as requested, each refused while the grid drawn is not
// the one the values make, and put off a frame while automatic editing
// brings them in; `picture` draws the window's picture. The line shows for
// a few seconds from `now`.
void carry_out_exporting(Exporting& exporting, const Tparams& params, const Shown_shape& shown,
                         const std::function<offscreen::Image()>& picture, double now);
