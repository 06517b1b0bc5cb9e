// How a closed mesh would print standing on a bed level with the two axes
// other than `up`, below its lowest point: volume, the area it stands on and
// how much of its surface overhangs. In the mesh's own units.
#pragma once

#include "mesh/placement.h"

namespace mesh {

// Half a first layer of a printer's usual 0.2 mm, in millimetres: where a
// slicer looks for what the first layer extrudes.
constexpr double contact_height = 0.1;
// Under this many square millimetres a print stands on a point and comes
// loose, or a slicer finds nothing to extrude in its first layer.
constexpr double least_contact_area = 4;
// The base, in millimetres, that a shape standing on too little is offered.
constexpr double suggested_base = 2;
// Solid PLA, in grams per cubic centimetre.
constexpr double pla_density = 1.24;
// Faces turned down further than this from the vertical need support.
constexpr double overhang_degrees = 45;

struct Print_measures {
    double volume = 0;
    // The cross-section `contact_height` above the lowest point.
    double contact_area = 0;
    // The share of the area facing down beyond overhang_degrees, the faces
    // lying within contact_height of the bed left out: they rest on it.
    double overhang_share = 0;
    // The area of the faces lying flat in the bed's plane, to a hundredth
    // of contact_height (a micrometre): a base's cap.
    double flat_area = 0;
};

// The area of the cross-section of closed `mesh` by the plane `height` along
// `up`: each triangle the plane crosses adds its segment of the outline,
// which the triangle's winding orients. A vertex on the plane counts as
// below it, so that neighbours agree on where it is crossed.
double cross_section_area(const Mesh_view& mesh, Up up, double height);

// The cross-section of closed `mesh` `units_contact_height` above its
// lowest point along `up`: the area it stands on.
double contact_area(const Mesh_view& mesh, Up up, double units_contact_height);

// The measures of closed `mesh` standing on `up`, `contact_height` being
// that many units of the mesh.
Print_measures measure_print(const Mesh_view& mesh, Up up, double units_contact_height);

} // namespace mesh
