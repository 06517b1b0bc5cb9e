#include "snippet/layout.h"

#include "params/maker.h"

namespace snippet::layout {

std::vector<std::string> head_lines()
{
    const std::string rule = "'' " + std::string(64, '=');
    return {
        rule,
        "'' SuperShape",
        std::string("'' Made by ") + params::program_name,
        std::string("'' ") + params::maker_name,
        std::string("'' ") + params::web_address,
        rule,
        "sub load_shape(byref shape as Nsupershape.Tsupershape ptr, byref params as Tparams)",
        "",
    };
}

std::vector<std::string> tail_lines()
{
    return {
        "",
        "\t\tdelete shape",
        "\t\tshape = null",
        "\t\tshape = new Nsupershape.Tsupershape",
        "\t\tshape->reload(params.radius,params.slices,params.bands,_",
        "\t\t       \t\t  params.a,params.b,params.m,_",
        "\t\t       \t\t  params.n1,params.n2,params.n3)",
        "\t\tshape->scale(params.scale,params.scale,params.scale)",
        "\t\tshape->set_color(params.color(0),params.color(1),params.color(2),params.color(3))",
        "",
        "end sub",
    };
}

} // namespace snippet::layout
