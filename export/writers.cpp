// The writers of our own: binary STL, OBJ with its material file and binary
// PLY, through one buffered sink.
#include "export/writers.h"

#include "export/metadata.h"
#include "export/writer_support.h"
#include "mesh/closed_mesh.h"
#include "params/fields.h"
#include "runtime/text.h"
#include "snippet/snippet.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace file_export {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "binary STL, PLY and glb are little-endian; this host would need byte swaps");

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

// "v x y z" lines of the positions in their shortest text.
void put_positions(Sink& sink, const Mesh_view& mesh)
{
    for (std::size_t k = 0; k < mesh.vertex_count; ++k) {
        const Tvector3& p = mesh.positions[k];
        char* at = sink.reserve(3 * params::shortest_room + 4);
        *at++ = 'v';
        *at++ = ' ';
        at = params::write_shortest(at, p.x);
        *at++ = ' ';
        at = params::write_shortest(at, p.y);
        *at++ = ' ';
        at = params::write_shortest(at, p.z);
        *at++ = '\n';
        sink.commit(at);
    }
}

// "vn x y z" lines of unit normals with four decimals, as Blender writes
// them: a ten-thousandth is far below what shading shows, and the file stays
// small. Written by hand, as the library's fixed notation is several times
// slower than the shortest.
void put_normals(Sink& sink, const std::vector<Tvector3>& normals)
{
    for (const Tvector3& n : normals) {
        char* at = sink.reserve(3 * 8 + 3);
        *at++ = 'v';
        *at++ = 'n';
        for (const float component : {n.x, n.y, n.z}) {
            // Unit normals: the rounding needs no library call.
            const int ten_thousandths = int(std::fabs(component) * 10000.0f + 0.5f);
            *at++ = ' ';
            if (component < 0 && ten_thousandths > 0)
                *at++ = '-';
            *at++ = char('0' + ten_thousandths / 10000);
            *at++ = '.';
            for (int digit = 1000; digit > 0; digit /= 10)
                *at++ = char('0' + ten_thousandths / digit % 10);
        }
        *at++ = '\n';
        sink.commit(at);
    }
}

// A number's digits; returns their end. By hand, digit by digit: the
// library's calls and copies cost more than the digits.
char* put_number(char* at, std::uint32_t number)
{
    int length = 1;
    for (std::uint32_t rest = number; rest >= 10; rest /= 10)
        ++length;
    for (int k = length - 1; k >= 0; --k, number /= 10)
        at[k] = char('0' + number % 10);
    return at + length;
}

// A face's corner, "i", or "i//n" for the vertex and its normal, which
// mostly share the number; returns its end.
char* put_corner(char* at, std::uint32_t vertex, std::uint32_t normal, bool with_normal)
{
    char* const end = put_number(at, vertex);
    if (!with_normal)
        return end;
    end[0] = end[1] = '/';
    if (normal != vertex)
        return put_number(end + 2, normal);
    std::memcpy(end + 2, at, std::size_t(end - at));
    return end + 2 + (end - at);
}

// The object's name as a material's: OBJ readers end a name at a blank, and
// Blender keeps 63 bytes of it, so blanks and control bytes become "_" and
// the name is cut, between characters, to what Blender shows.
std::string material_name(const std::string& object)
{
    constexpr std::size_t blender_name_bytes = 63;
    std::string name = as_utf8(object);
    for (char& c : name)
        if (static_cast<unsigned char>(c) <= ' ' || c == '\x7f')
            c = '_';
    if (name.size() > blender_name_bytes) {
        std::size_t end = blender_name_bytes;
        // Back to the first byte of a character.
        while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xc0) == 0x80)
            --end;
        name.resize(end);
    }
    return name.empty() ? "shape" : name;
}

} // namespace

Status write_stl(std::FILE* out, const Export_mesh& file)
{
    const Mesh_view& mesh = file.mesh;
    if (mesh.triangle_count > UINT32_MAX)
        return detail::write_status(EFBIG);
    // A binary header must not begin with "solid", or readers take it for text.
    char header[80] = {};
    std::strncpy(header, "binary STL of a supershape", sizeof header);
    Sink sink(out);
    sink.put(header, sizeof header);
    const auto count = static_cast<std::uint32_t>(mesh.triangle_count);
    sink.put(&count, sizeof count);
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        const Ttriangle& tri = mesh.triangles[t];
        const Tvector3 &p = mesh.positions[tri.i0], &q = mesh.positions[tri.i1], &r = mesh.positions[tri.i2];
        const Nsupershape::Vector3<double> n = Nsupershape::area_normal(p, q, r);
        const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        const double inverse = length > 0 ? 1 / length : 0;
        const Tvector3 normal{float(n.x * inverse), float(n.y * inverse), float(n.z * inverse)};
        char* at = sink.reserve(50);
        at = put_binary(at, normal);
        at = put_binary(at, p);
        at = put_binary(at, q);
        at = put_binary(at, r);
        sink.commit(put_binary(at, std::uint16_t{0}));
    }
    return detail::write_status(sink.finish());
}

Status write_obj(std::FILE* out, const Export_mesh& file)
{
    const Mesh_view& mesh = file.mesh;
    // The positions stay shared; a vertex on a crease has a normal a side.
    mesh::Lit_surface lit;
    if (file.vertex_normals)
        mesh::light(mesh, lit);
    const std::vector<Tvector3>& normals = lit.normals;
    Sink sink(out);
    sink.put("# supershape " + parameter_text(file.params) + "\n");
    if (!file.companion_file.empty())
        // Its name holds no blank or control byte (companion_path).
        sink.put("mtllib " + file.companion_file + "\n");
    sink.put("o " + runtime::one_line(file.name) + "\n");
    put_positions(sink, mesh);
    put_normals(sink, normals);
    if (!file.companion_file.empty())
        sink.put("usemtl " + material_name(file.name) + "\n");
    sink.put("s 1\n");
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        const std::int32_t* vertex = &mesh.triangles[t].i0;
        const std::int32_t* normal = normals.empty() ? vertex : &lit.mesh.triangles[t].i0;
        char* at = sink.reserve(3 * 26 + 2);
        *at++ = 'f';
        for (int c = 0; c < 3; ++c) {
            *at++ = ' ';
            at = put_corner(at, std::uint32_t(vertex[c]) + 1, std::uint32_t(normal[c]) + 1, !normals.empty());
        }
        *at++ = '\n';
        sink.commit(at);
    }
    return detail::write_status(sink.finish());
}

Status write_obj_material(std::FILE* out, const Export_mesh& file)
{
    const std::uint8_t* colour = file.params.color;
    // Kd as Blender's own OBJ exporter writes it: the linear value of each
    // sRGB byte, with six decimals; Blender's importer reads it back so.
    std::string diffuse = "Kd";
    for (int k = 0; k < 3; ++k) {
        char text[16] = " ";
        diffuse.append(
            text,
            std::to_chars(text + 1, text + sizeof text, detail::linear(colour[k]), std::chars_format::fixed, 6).ptr);
    }
    Sink sink(out);
    sink.put("# supershape " + parameter_text(file.params) + "\nnewmtl " + material_name(file.name) + "\n" + diffuse +
             "\nd " + params::shortest_text(colour[3] / 255.0f) + "\n");
    return detail::write_status(sink.finish());
}

Status write_ply(std::FILE* out, const Export_mesh& file)
{
    const Mesh_view& mesh = file.mesh;
    Sink sink(out);
    sink.put("ply\nformat binary_little_endian 1.0\ncomment supershape " + parameter_text(file.params) +
             "\nelement vertex " + std::to_string(mesh.vertex_count) +
             "\nproperty float x\nproperty float y\nproperty float z\nproperty uchar red\nproperty uchar green"
             "\nproperty uchar blue\nproperty uchar alpha\nelement face " +
             std::to_string(mesh.triangle_count) + "\nproperty list uchar int vertex_indices\nend_header\n");
    // Vertices go out in runs, each filled in one go.
    constexpr std::size_t run = 4096, vertex_bytes = sizeof(Tvector3) + sizeof file.params.color;
    for (std::size_t first = 0; first < mesh.vertex_count; first += run) {
        const std::size_t count = std::min(run, mesh.vertex_count - first);
        char* at = sink.reserve(count * vertex_bytes);
        for (std::size_t k = first; k < first + count; ++k, at += vertex_bytes) {
            std::memcpy(at, &mesh.positions[k], sizeof(Tvector3));
            std::memcpy(at + sizeof(Tvector3), file.params.color, sizeof file.params.color);
        }
        sink.commit(at);
    }
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        char* at = sink.reserve(13);
        at = put_binary(at, std::uint8_t{3});
        sink.commit(put_binary(at, mesh.triangles[t]));
    }
    return detail::write_status(sink.finish());
}

Status write_snippet(std::FILE* out, const Export_mesh& file)
{
    const std::string text = snippet::text(file.params);
    const int error = detail::write_bytes(out, text.data(), text.size());
    return detail::write_status(error != 0 ? error : detail::flush(out));
}

} // namespace file_export
