#include "tool/number_text.h"

#include "params/fields.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace shapetool {

std::string grouped(std::size_t number)
{
    std::string digits = std::to_string(number);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

Extent extent(const mesh::Box& box)
{
    return {double(box.max.x) - box.min.x, double(box.max.y) - box.min.y, double(box.max.z) - box.min.z};
}

bool fits_float(double side)
{
    return std::fabs(side) <= std::numeric_limits<float>::max();
}

std::string side_text(double side)
{
    if (fits_float(side))
        return params::shortest_text(static_cast<float>(side));
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, side).ptr);
}

} // namespace shapetool
