// The editor's solid view: the closed mesh over the drawn grid, lit as the
// pictures draw it, made again only when the grid changes.
#pragma once

#include "app/frame.h"
#include "mesh/closed_mesh.h"
#include "scene/scene.h"

#include <optional>
#include <string>

class Solid_view {
public:
    // The surface over `shown`'s grid, swaps included; null when its closed
    // mesh is refused, with the reason in `refusal`.
    const scene::Surface* surface(const Shown_shape& shown, std::string& refusal);

private:
    std::optional<Grid_recipe> built_for_;
    mesh::Lit_surface lit_;
    std::string refusal_;
    scene::Surface surface_;
};
