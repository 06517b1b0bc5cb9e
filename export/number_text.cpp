#include "export/number_text.h"

#include "params/fields.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace file_export {

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

std::string rounded_text(double value, int digits)
{
    // Rounded through its text, which std::to_chars writes in any locale.
    char text[32];
    double rounded = 0;
    std::from_chars(text, std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits).ptr,
                    rounded);
    return side_text(rounded);
}

std::string contact_warning(const mesh::Mesh_view& placed, mesh::Up up, double millimetres_per_unit, bool based)
{
    const double area_per_unit = millimetres_per_unit * millimetres_per_unit;
    const double contact = mesh::contact_area(placed, up, mesh::contact_height / millimetres_per_unit) * area_per_unit;
    if (!(contact < mesh::least_contact_area))
        return "";
    const double based_contact =
        based ? 0
              : mesh::contact_area(placed, up, (mesh::suggested_base + mesh::contact_height) / millimetres_per_unit) *
                    area_per_unit;
    return "stands on " + rounded_text(contact, 2) + " mm²" +
           (based_contact > contact ? "; --base " + rounded_text(mesh::suggested_base, 2) + " gives " +
                                          rounded_text(based_contact, 2) + " mm²"
                                    : "");
}

std::string print_size(const mesh::Mesh_view& mesh, double millimetres_per_unit, int digits)
{
    const Extent size = extent(mesh::bounding_box(mesh));
    std::string text;
    for (const double side : {size.x, size.y, size.z})
        text += (text.empty() ? "" : " x ") + rounded_text(side * millimetres_per_unit, digits);
    return text + " mm";
}

std::string shell_summary(const mesh::Shell_report& shell, double wall)
{
    std::string summary = "walls from " + rounded_text(shell.thinnest_wall, 3) + " mm";
    if (shell.solid_places > 0)
        summary += "; solid in " + grouped(shell.solid_places) + (shell.solid_places == 1 ? " place" : " places") +
                   " thinner than " + rounded_text(2 * wall, 3) + " mm";
    return summary;
}

} // namespace file_export
