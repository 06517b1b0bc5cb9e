#include "app/solid_view.h"

#include "mesh/closed_mesh.h"
#include "shape/Tsupershape.h"

#include <new>
#include <utility>

namespace {

// The pole the grid lacks, placed as the grid was: scaled, then swapped.
Nsupershape::Tvector3 first_pole(const Grid_recipe& recipe)
{
    Nsupershape::Tvector3 pole{0.0f, Nsupershape::first_pole_y(recipe.formula) * recipe.scale, 0.0f};
    for (const char axis : recipe.swaps) {
        if (axis == '0')
            std::swap(pole.x, pole.y);
        else if (axis == '1')
            std::swap(pole.x, pole.z);
        else
            std::swap(pole.y, pole.z);
    }
    return pole;
}

} // namespace

const scene::Surface* Solid_view::surface(const Shown_shape& shown, std::string& refusal)
{
    if (!built_for_ || !same_recipe(*built_for_, shown.recipe)) {
        built_for_ = shown.recipe;
        const Nsupershape::Tsupershape& shape = *shown.shape;
        mesh::Mesh_size size;
        runtime::Status status = mesh::closed_mesh_size(shape.slices, shape.bands, size);
        try {
            positions_.resize(size.vertex_count);
            normals_.resize(size.vertex_count);
            triangles_.resize(size.triangle_count);
        } catch (const std::bad_alloc&) {
            status = runtime::refused("out of memory for the closed mesh");
        }
        if (status.ok())
            status = mesh::fill_closed_mesh(shape.vertices.get(), shape.slices, shape.bands, first_pole(shown.recipe),
                                            positions_.data(), positions_.size(), triangles_.data(), triangles_.size());
        surface_ = {{positions_.data(), positions_.size(), triangles_.data(), triangles_.size()}, normals_.data()};
        if (status.ok())
            Nsupershape::vertex_normals(surface_.mesh, normals_.data());
        refusal_ = status.ok() ? "" : "solid view: " + status.message;
    }
    refusal = refusal_;
    return refusal_.empty() ? &surface_ : nullptr;
}
