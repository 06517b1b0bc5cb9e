#include "app/solid_view.h"

#include "shape/Tsupershape.h"

#include <new>

const scene::Surface* Solid_view::surface(const Shown_shape& shown, std::string& refusal)
{
    if (!built_for_ || !same_recipe(*built_for_, shown.recipe)) {
        built_for_ = shown.recipe;
        const Nsupershape::Tsupershape& shape = *shown.shape;
        runtime::Status status;
        try {
            status = mesh::build_lit_surface(shape.vertices.get(), shape.slices, shape.bands, shown.recipe.formula,
                                             shown.recipe.scale, shown.recipe.swaps, lit_);
        } catch (const std::bad_alloc&) {
            status = runtime::refused("out of memory for the closed mesh");
        }
        surface_ = {lit_.mesh.view(), lit_.normals.data()};
        refusal_ = status.ok() ? "" : "solid view: " + status.message;
    }
    refusal = refusal_;
    return refusal_.empty() ? &surface_ : nullptr;
}
