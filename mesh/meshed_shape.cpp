#include "mesh/meshed_shape.h"

#include <new>

namespace mesh {

Status Meshed_shape::make(const Tparams& params, Kind kind)
{
    Status status;
    try {
        switch (kind) {
        case Kind::wire: status = build_wire_grid(params, mesh_); break;
        case Kind::raw: status = build_raw_grid(params, mesh_); break;
        case Kind::closed: status = build_closed_mesh(params, mesh_, grid_); break;
        case Kind::none: break;
        }
    } catch (const std::bad_alloc&) {
        mesh_ = {};
        grid_ = {};
        status = runtime::refused("out of memory");
    }
    if (!status.ok())
        status.message = "cannot mesh: " + status.message;
    return status;
}

} // namespace mesh
