// Saved snippets offered by name as starting points: the examples and the
// user's own shapes, read with the snippet reader.
#pragma once

#include "params/Tparams.h"

#include <string>
#include <vector>

namespace explore {

// A folder of snippets and how its presets are shown: `mark` goes before
// each file's name, so that the user's own "shapes/star" is told apart from
// the example "star".
struct Preset_folder {
    std::string path;
    std::string mark;
};

struct Preset {
    // The folder's mark and the file's name without ".bas".
    std::string name;
    Tparams values;
};

// The ".bas" files (in any case) of each of `folders`, in order, each
// folder's by name; a name an earlier file took is left out, and so is a
// folder that is missing. A file the reader refuses is left out too, its
// one-line refusal added to `refusals`, and so is a folder that cannot be
// read.
std::vector<Preset> read_presets(const std::vector<Preset_folder>& folders, std::vector<std::string>& refusals);

// What the file system says of the folders now, as text: the stamp changes
// when a file is added, removed or renamed in one (as a Save does), so that
// a caller may ask each frame at the cost of a stat per folder.
std::string folders_stamp(const std::vector<Preset_folder>& folders);

} // namespace explore
