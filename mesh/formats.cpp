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

Status write_mesh(Format format, std::FILE* out, const Mesh_view& mesh, const Tparams& params)
{
    switch (format) {
    case Format::stl: return write_stl(out, mesh, params);
    case Format::obj: return write_obj(out, mesh, params);
    case Format::ply: return write_ply(out, mesh, params);
    case Format::glb: return write_glb(out, mesh, params);
    case Format::threemf: return write_3mf(out, mesh, params);
    }
    return runtime::failure(Status::Kind::cannot_write, "no writer for this format");
}

} // namespace mesh
