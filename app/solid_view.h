// The editor's solid view: the closed mesh over the drawn grid, lit as the
// pictures draw it, made again only when the grid changes.
#pragma once

#include "app/frame.h"
#include "scene/scene.h"

#include <optional>
#include <string>
#include <vector>

class Solid_view {
public:
    // The surface over `shown`'s grid, swaps included; null when its closed
    // mesh is refused, with the reason in `refusal`.
    const scene::Surface* surface(const Shown_shape& shown, std::string& refusal);

private:
    std::optional<Grid_recipe> built_for_;
    std::vector<Nsupershape::Tvector3> positions_, normals_;
    std::vector<Nsupershape::Ttriangle> triangles_;
    std::string refusal_;
    scene::Surface surface_;
};
