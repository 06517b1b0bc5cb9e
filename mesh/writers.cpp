// The writers of our own: binary STL, OBJ and binary PLY through one buffered
// sink; the parameter line; and the choice of format.
#include "mesh/writers.h"

#include "app/Tparams.h"
#include "mesh/writer_support.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace mesh {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "binary STL, PLY and glb are little-endian; this host would need byte swaps");

namespace detail {

int write_bytes(std::FILE* out, const void* data, std::size_t bytes)
{
    errno = 0;
    if (bytes > 0 && std::fwrite(data, 1, bytes, out) != bytes)
        return errno != 0 ? errno : EIO;
    return 0;
}

int flush(std::FILE* out)
{
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out))
        return errno != 0 ? errno : EIO;
    return 0;
}

std::string float_text(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string escaped(std::string_view text)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte > 0x7e) {
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace detail

namespace {

// Large blocks for fwrite, filled in place; keeps the first error.
class Sink {
public:
    explicit Sink(std::FILE* out) : out(out), buffer(block_size) {}

    // Room for `bytes` (at most a block) at the returned pointer; hand the
    // end of what was written to commit.
    char* reserve(std::size_t bytes)
    {
        if (used + bytes > buffer.size())
            drain();
        return buffer.data() + used;
    }
    void commit(char* end) { used = static_cast<std::size_t>(end - buffer.data()); }

    void put(const void* data, std::size_t bytes)
    {
        if (bytes > buffer.size()) {
            drain();
            if (error == 0)
                error = detail::write_bytes(out, data, bytes);
            return;
        }
        std::memcpy(reserve(bytes), data, bytes);
        used += bytes;
    }
    void put(std::string_view text) { put(text.data(), text.size()); }

    // Writes what is left and flushes: 0, or the first failure's errno.
    int finish()
    {
        drain();
        if (error == 0)
            error = detail::flush(out);
        return error;
    }

private:
    static constexpr std::size_t block_size = std::size_t(1) << 20;

    void drain()
    {
        if (error == 0)
            error = detail::write_bytes(out, buffer.data(), used);
        used = 0;
    }

    std::FILE* out;
    std::vector<char> buffer;
    std::size_t used = 0;
    int error = 0;
};

template <class T>
char* put_binary(char* at, T value)
{
    std::memcpy(at, &value, sizeof value);
    return at + sizeof value;
}

char* put_float(char* at, float value) { return std::to_chars(at, at + 32, value).ptr; }

} // namespace

std::string parameter_text(const Tparams& params)
{
    using detail::float_text;
    std::string text = "a=" + float_text(params.a) + " b=" + float_text(params.b) +
                       " m=" + float_text(params.m) + " n1=" + float_text(params.n1) +
                       " n2=" + float_text(params.n2) + " n3=" + float_text(params.n3) +
                       " radius=" + float_text(params.radius) +
                       " slices=" + std::to_string(params.slices) +
                       " bands=" + std::to_string(params.bands) +
                       " scale=" + float_text(params.scale) + " color=";
    for (int k = 0; k < 4; ++k)
        text += std::to_string(params.color[k]) + (k < 3 ? "," : "");
    return text + " rot_str=\"" + detail::escaped(params.rot_str) + "\"";
}

int write_stl(std::FILE* out, const Mesh_view& mesh, const Tparams&)
{
    if (mesh.triangle_count > UINT32_MAX)
        return EFBIG;
    // A binary header must not begin with "solid", or readers take it for text.
    char header[80] = {};
    std::strncpy(header, "binary STL of a supershape", sizeof header);
    Sink sink(out);
    sink.put(header, sizeof header);
    const auto count = static_cast<std::uint32_t>(mesh.triangle_count);
    sink.put(&count, sizeof count);
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        const Ttriangle& tri = mesh.triangles[t];
        const Tvector3 &p = mesh.positions[tri.i0], &q = mesh.positions[tri.i1],
                       &r = mesh.positions[tri.i2];
        const double ux = double(q.x) - p.x, uy = double(q.y) - p.y, uz = double(q.z) - p.z;
        const double vx = double(r.x) - p.x, vy = double(r.y) - p.y, vz = double(r.z) - p.z;
        const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
        const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
        const double inverse = length > 0 ? 1 / length : 0;
        const Tvector3 normal{float(nx * inverse), float(ny * inverse), float(nz * inverse)};
        char* at = sink.reserve(50);
        at = put_binary(at, normal);
        at = put_binary(at, p);
        at = put_binary(at, q);
        at = put_binary(at, r);
        sink.commit(put_binary(at, std::uint16_t{0}));
    }
    return sink.finish();
}

int write_obj(std::FILE* out, const Mesh_view& mesh, const Tparams& params)
{
    Sink sink(out);
    sink.put("# supershape " + parameter_text(params) + "\n");
    for (std::size_t k = 0; k < mesh.vertex_count; ++k) {
        const Tvector3& p = mesh.positions[k];
        char* at = sink.reserve(3 * 32 + 4);
        *at++ = 'v';
        *at++ = ' ';
        at = put_float(at, p.x);
        *at++ = ' ';
        at = put_float(at, p.y);
        *at++ = ' ';
        at = put_float(at, p.z);
        *at++ = '\n';
        sink.commit(at);
    }
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        const Ttriangle& tri = mesh.triangles[t];
        char* at = sink.reserve(3 * 12 + 4);
        *at++ = 'f';
        for (const std::int32_t index : {tri.i0, tri.i1, tri.i2}) {
            *at++ = ' ';
            at = std::to_chars(at, at + 12, std::int64_t(index) + 1).ptr;
        }
        *at++ = '\n';
        sink.commit(at);
    }
    return sink.finish();
}

int write_ply(std::FILE* out, const Mesh_view& mesh, const Tparams& params)
{
    Sink sink(out);
    sink.put("ply\nformat binary_little_endian 1.0\ncomment supershape " +
             parameter_text(params) + "\nelement vertex " + std::to_string(mesh.vertex_count) +
             "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
             std::to_string(mesh.triangle_count) +
             "\nproperty list uchar int vertex_indices\nend_header\n");
    sink.put(mesh.positions, mesh.vertex_count * sizeof(Tvector3));
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        char* at = sink.reserve(13);
        at = put_binary(at, std::uint8_t{3});
        sink.commit(put_binary(at, mesh.triangles[t]));
    }
    return sink.finish();
}

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

int write_mesh(Format format, std::FILE* out, const Mesh_view& mesh, const Tparams& params)
{
    switch (format) {
    case Format::stl: return write_stl(out, mesh, params);
    case Format::obj: return write_obj(out, mesh, params);
    case Format::ply: return write_ply(out, mesh, params);
    case Format::glb: return write_glb(out, mesh, params);
    case Format::threemf: return write_3mf(out, mesh, params);
    }
    return EINVAL;
}

} // namespace mesh
