#include "params/Tparams.h"

#include "params/fields.h"

void set_start_values(Tparams& params)
{
    params = Tparams{};
    params.a = 1.0f;
    params.b = 1.0f;
    params.m = 4.0f;
    params.n1 = 0.3f;
    params.n2 = 1.0f;
    params.n3 = 1.0f;
    params.radius = 1.0f;
    params.slices = 8;
    params.bands = 8;
    params.scale = 1.0f;
    params.color[0] = 255;
    params.color[1] = 255;
    params.color[2] = 64;
    params.color[3] = 255;
    params.auto_edit = truth_on;
    params.show_axes = truth_on;
    params.rot_str = "rotations: ";
    params::link_sets(params);
}
