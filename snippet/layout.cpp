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

std::vector<std::string> tail_lines(bool second_set, const std::vector<std::string>& set_after)
{
    std::vector<std::string> lines = {
        "",
        "\t\tdelete shape",
        "\t\tshape = null",
        "\t\tshape = new Nsupershape.Tsupershape",
    };
    const char* const continued = "\t\t       \t\t  ";
    if (second_set) {
        lines.push_back("\t\tshape->reload2(params.radius,params.slices,params.bands,_");
        lines.push_back(continued + std::string("params.a,params.b,params.m,_"));
        lines.push_back(continued + std::string("params.n1,params.n2,params.n3,_"));
        lines.push_back(continued + std::string("params.a2,params.b2,params.m2,_"));
        lines.push_back(continued + std::string("params.n1_2,params.n2_2,params.n3_2)"));
    } else {
        lines.push_back("\t\tshape->reload(params.radius,params.slices,params.bands,_");
        lines.push_back(continued + std::string("params.a,params.b,params.m,_"));
        lines.push_back(continued + std::string("params.n1,params.n2,params.n3)"));
    }
    for (const std::string& name : set_after)
        lines.push_back("\t\tshape->set_" + name + "(params." + name + ")");
    lines.insert(lines.end(),
                 {
                     "\t\tshape->scale(params.scale,params.scale,params.scale)",
                     "\t\tshape->set_color(params.color(0),params.color(1),params.color(2),params.color(3))",
                     "",
                     "end sub",
                 });
    return lines;
}

} // namespace snippet::layout
