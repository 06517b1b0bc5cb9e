// The mesh of a shape as the editor's Reset builds it, in storage that is
// reused: shapetool's commands and the editor's Export mesh through it.
#pragma once

#include "mesh/closed_mesh.h"
#include "params/Tparams.h"
#include "runtime/status.h"

#include <vector>

namespace mesh {

// Made again, it reuses its storage.
class Meshed_shape {
public:
    enum class Kind {
        // The editor's own grid and triangle list, as the editor draws any.
        wire,
        // The same, checked for finite coordinates and some area.
        raw,
        closed,
        // None, for an output that holds no mesh.
        none,
    };

    // A refusal reads "cannot mesh: ...", out of memory included.
    runtime::Status make(const Tparams& params, Kind kind);

    Triangle_mesh& mesh() { return mesh_; }
    Mesh_view view() const { return mesh_.view(); }

private:
    Triangle_mesh mesh_;
    std::vector<Tvector3> grid_;
};

} // namespace mesh
