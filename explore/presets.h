// Saved snippets offered by name as starting points: the examples and the
// user's own shapes, read with the snippet reader.
#pragma once

#include "params/Tparams.h"

#include <string>
#include <vector>

namespace explore {

struct Preset {
    // The file's name without ".bas".
    std::string name;
    Tparams values;
};

// The ".bas" files of each of `folders`, in order, each folder's by name; a
// name an earlier file took is left out, and so is a folder that is missing.
// A file the reader refuses is left out too, its one-line refusal added to
// `refusals`.
std::vector<Preset> read_presets(const std::vector<std::string>& folders, std::vector<std::string>& refusals);

} // namespace explore
