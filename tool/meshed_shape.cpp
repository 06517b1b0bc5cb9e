#include "tool/meshed_shape.h"

#include <new>

namespace shapetool {

using runtime::Status;

Status Meshed_shape::make(const Tparams& params, Kind kind)
{
    Status status;
    try {
        switch (kind) {
        case Kind::wire: status = mesh::build_wire_grid(params, mesh_); break;
        case Kind::raw: status = mesh::build_raw_grid(params, mesh_); break;
        case Kind::closed: status = mesh::build_closed_mesh(params, mesh_, grid_); break;
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

} // namespace shapetool
