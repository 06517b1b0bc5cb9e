// A format's file written whole: shapetool's export and the editor's Export
// write through here, so that both give the same bytes for a shape.
#pragma once

#include "export/formats.h"
#include "output/atomic_file.h"

#include <string>

namespace file_export {

// Writes `file` to `target` in `format`, and the companion file the format
// has (companion_path) beside it, naming it in `file`: each whole or not at
// all and the two published together. `publish` says whether `target` may
// replace a file; the companion always may. A failure names the file it is
// about, as runtime::failure words it.
Status write_format_file(const std::string& target, const Format_row& format, Export_mesh& file,
                         output::Publish publish = output::Publish::replacing);

} // namespace file_export
