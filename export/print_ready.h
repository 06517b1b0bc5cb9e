// A closed mesh made ready to print as export writes it, and the words that
// say what was made: shapetool's export and the editor's Export mesh both
// come here, so that the same request gives the same file and the same line.
#pragma once

#include "mesh/placement.h"
#include "mesh/shell.h"

#include <cstddef>
#include <string>

namespace file_export {

struct Print_request {
    mesh::Placement placement;
    // At most this many triangles (mesh/simplify.h); 0 keeps them all.
    std::size_t triangles = 0;
    // Hollow, with a wall this many millimetres thick (mesh/shell.h); 0
    // for solid.
    double shell = 0;
    // With a shell, a drain this many millimetres across through its floor
    // (mesh/drain.h); 0 for none.
    double drain = 0;
    // Told the share of a shell's work done as it goes.
    mesh::Progress progress;
};

struct Print_words {
    // "200,000 triangles (of 1,994,004), within 0.0073 mm"; the budget's
    // part only where it took triangles away.
    std::string triangles;
    // "hollow, walls from 2.09 mm; a 3 mm drain", or empty for a solid.
    std::string shell;
    // contact_warning's, or empty.
    std::string warning;
};

// Places closed `mesh` in a file of `millimetres_per_unit` to a unit, cuts
// its base, brings it within the budget, hollows it and drills its drain. A refusal leaves the mesh of no
// use. Throws std::bad_alloc when memory runs out.
runtime::Status make_print_ready(mesh::Triangle_mesh& mesh, const Print_request& request, double millimetres_per_unit,
                                 Print_words& words);

} // namespace file_export
