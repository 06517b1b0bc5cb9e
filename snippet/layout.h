// The layout of a snippet file, shared by its writer and its reader.
#pragma once

#include "app/Tparams.h"

#include <cstdint>
#include <string>
#include <vector>

namespace snippet::layout {

enum class Kind { single, count, colour, text };

// One assignment line. `single` or `count` points at the field for those
// kinds and is null otherwise.
struct Field {
    const char* name;
    Kind kind;
    float Tparams::*single;
    std::int32_t Tparams::*count;
};

// In the order Save writes them.
constexpr Field fields[] = {
    {"a", Kind::single, &Tparams::a, nullptr},
    {"b", Kind::single, &Tparams::b, nullptr},
    {"m", Kind::single, &Tparams::m, nullptr},
    {"n1", Kind::single, &Tparams::n1, nullptr},
    {"n2", Kind::single, &Tparams::n2, nullptr},
    {"n3", Kind::single, &Tparams::n3, nullptr},
    {"radius", Kind::single, &Tparams::radius, nullptr},
    {"slices", Kind::count, nullptr, &Tparams::slices},
    {"bands", Kind::count, nullptr, &Tparams::bands},
    {"scale", Kind::single, &Tparams::scale, nullptr},
    {"color", Kind::colour, nullptr, nullptr},
    {"rot_str", Kind::text, nullptr, nullptr},
};
constexpr int field_count = sizeof fields / sizeof fields[0];

constexpr char field_prefix[] = "params.";

// The lines before the assignments and after them, without line ends.
std::vector<std::string> head_lines();
std::vector<std::string> tail_lines();

} // namespace snippet::layout
