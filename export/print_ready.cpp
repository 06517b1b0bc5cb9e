#include "export/print_ready.h"

#include "export/number_text.h"
#include "mesh/drain.h"
#include "mesh/simplify.h"

namespace file_export {

runtime::Status make_print_ready(mesh::Triangle_mesh& mesh, const Print_request& request, double millimetres_per_unit,
                                 Print_words& words)
{
    const mesh::Placement& placement = request.placement;
    if (const runtime::Status placed = mesh::place(mesh, placement, millimetres_per_unit); !placed.ok())
        return placed;
    mesh::Simplified simplified;
    if (request.triangles > 0)
        if (const runtime::Status made = mesh::simplify(mesh, request.triangles, placement.up, simplified); !made.ok())
            return made;
    // The bed meets the outer surface: measured before the inner one is added.
    words.warning = contact_warning(mesh.view(), placement.up, millimetres_per_unit, placement.base_millimetres > 0);
    if (request.shell > 0) {
        mesh::Shell_report shell;
        const std::size_t outer_triangles = mesh.triangles.size();
        if (const runtime::Status hollowed =
                mesh::hollow(mesh, request.shell, millimetres_per_unit, shell, request.progress);
            !hollowed.ok())
            return hollowed;
        words.shell = "hollow, " + shell_summary(shell, request.shell);
        mesh::Drain_report drain;
        if (request.drain > 0) {
            if (const runtime::Status drilled =
                    mesh::drill_drain(mesh, outer_triangles, placement.up, request.drain, millimetres_per_unit, drain);
                !drilled.ok())
                return drilled;
            words.shell += "; a " + rounded_text(request.drain, 3) + " mm drain";
            // Where no flatter place took it, the hole cut away a tip.
            if (drain.height_lost > request.drain / 2)
                words.shell += ", which cuts " + rounded_text(drain.height_lost, 2) + " mm off the bottom";
            // It stands on the rim of the hole now.
            words.warning =
                contact_warning(mesh.view(), placement.up, millimetres_per_unit, placement.base_millimetres > 0);
        }
    }
    // Every triangle written, the inner surface's too.
    words.triangles = grouped(mesh.triangles.size()) + " triangles";
    if (simplified.full_triangle_count > mesh.triangles.size())
        words.triangles += " (of " + grouped(simplified.full_triangle_count) + "), within " +
                           rounded_text(simplified.deviation * millimetres_per_unit, 2) + " mm";
    return {};
}

} // namespace file_export
