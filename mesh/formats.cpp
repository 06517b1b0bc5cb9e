#include "mesh/formats.h"

#include <string>

namespace mesh {

std::optional<Format> format_named(std::string_view extension)
{
    std::string lower(extension);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    for (const Format format :
         {Format::stl, Format::obj, Format::ply, Format::glb, Format::threemf})
        if (lower == extension_of(format))
            return format;
    return std::nullopt;
}

std::optional<Format> format_for_path(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::nullopt;
    return format_named(name.substr(dot + 1));
}

const char* extension_of(Format format)
{
    switch (format) {
    case Format::stl: return "stl";
    case Format::obj: return "obj";
    case Format::ply: return "ply";
    case Format::glb: return "glb";
    case Format::threemf: return "3mf";
    }
    return "";
}

Up default_up(Format format)
{
    return format == Format::glb || format == Format::obj ? Up::y : Up::z;
}

double millimetres_per_unit(Format format)
{
    return format == Format::glb ? 1000.0 : 1.0;
}

bool is_binary(Format format)
{
    return format != Format::obj;
}

Status write_mesh(Format format, std::FILE* out, const Export_mesh& file)
{
    switch (format) {
    case Format::stl: return write_stl(out, file);
    case Format::obj: return write_obj(out, file);
    case Format::ply: return write_ply(out, file);
    case Format::glb: return write_glb(out, file);
    case Format::threemf: return write_3mf(out, file);
    }
    return runtime::failure(Status::Kind::cannot_write, "no writer for this format");
}

} // namespace mesh
