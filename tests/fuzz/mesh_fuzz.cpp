// Any finite parameter record within the limits, on small grids: the closed
// mesh is refused with a reason or closed with a positive volume, and each
// writer's bytes read back (our own readers for STL, OBJ and PLY, tinygltf
// for glb, lib3mf for 3MF) to the same counts and, whatever bytes rot_str
// holds, the same parameters.
//
// The input: the floats a, b, m, n1, n2, n3, radius and scale, a byte each
// for slices and bands (1 to 16), four colour bytes, then rot_str.
#include "mesh/closed_mesh.h"
#include "mesh/formats.h"
#include "mesh/metadata.h"
#include "mesh/statistics.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/outside_readers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t fixed_bytes = 8 * sizeof(float) + 2 + 4;

std::string written(mesh::Format format, const mesh::Export_mesh& file, runtime::Status& status)
{
    char* bytes = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&bytes, &size);
    status = mesh::row_of(format).write(out, file);
    std::fclose(out);
    std::string text(bytes, size);
    std::free(bytes);
    return text;
}

// rot_str's bytes as the parameter text's escapes give them back.
std::string rot_str_read_back(const std::string& text)
{
    std::string bytes;
    for (std::size_t k = text.find(" rot_str=\"") + 10; k + 1 < text.size(); ++k) {
        if (text[k] != '\\')
            bytes += text[k];
        else if (text[++k] == 'x')
            bytes += static_cast<char>(std::stoi(text.substr(k + 1, 2), nullptr, 16)), k += 2;
        else
            bytes += text[k];
    }
    return bytes;
}

// The text after `key` up to the line's end.
std::string line_after(const std::string& bytes, const std::string& key)
{
    const std::size_t at = bytes.find(key);
    if (at == std::string::npos)
        return "";
    const std::size_t start = at + key.size();
    return bytes.substr(start, bytes.find('\n', start) - start);
}

void check_stl(const std::string& bytes, const mesh::Mesh_view& mesh)
{
    FUZZ_REQUIRE(bytes.size() == 84 + 50 * mesh.triangle_count);
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        const mesh::Ttriangle& tri = mesh.triangles[t];
        for (int c = 0; c < 3; ++c)
            FUZZ_REQUIRE(std::memcmp(&bytes[84 + 50 * t + 12 * std::size_t(c + 1)], &mesh.positions[(&tri.i0)[c]],
                                     sizeof(mesh::Tvector3)) == 0);
    }
}

void check_obj(const std::string& bytes, const mesh::Mesh_view& mesh, const Tparams& params)
{
    FUZZ_REQUIRE(line_after(bytes, "# supershape ") == mesh::parameter_text(params));
    std::size_t vertices = 0, faces = 0;
    for (std::size_t at = 0; at < bytes.size(); at = bytes.find('\n', at) + 1) {
        if (bytes.compare(at, 2, "v ") == 0) {
            float x[3];
            const char* next = bytes.data() + at + 2;
            for (float& value : x)
                next = std::from_chars(next, bytes.data() + bytes.size(), value).ptr + 1;
            FUZZ_REQUIRE(std::memcmp(x, &mesh.positions[vertices++], sizeof x) == 0);
        }
        faces += bytes.compare(at, 2, "f ") == 0;
    }
    FUZZ_REQUIRE(vertices == mesh.vertex_count && faces == mesh.triangle_count);
}

void check_ply(const std::string& bytes, const mesh::Mesh_view& mesh, const Tparams& params)
{
    FUZZ_REQUIRE(line_after(bytes, "\ncomment supershape ") == mesh::parameter_text(params));
    FUZZ_REQUIRE(std::stoul(line_after(bytes, "\nelement vertex ")) == mesh.vertex_count);
    FUZZ_REQUIRE(std::stoul(line_after(bytes, "\nelement face ")) == mesh.triangle_count);
    const std::size_t body = bytes.find("end_header\n") + 11;
    FUZZ_REQUIRE(bytes.size() == body + 16 * mesh.vertex_count + 13 * mesh.triangle_count);
}

// glb and 3MF as tinygltf and lib3mf read them.
void check_outside(const test_support::Read_back& found, const mesh::Mesh_view& mesh, const Tparams& params)
{
    FUZZ_REQUIRE(found.positions.size() == mesh.vertex_count && found.triangles.size() == mesh.triangle_count);
    FUZZ_REQUIRE(found.parameters == mesh::parameter_text(params));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < fixed_bytes)
        return 0;
    Tparams params;
    set_start_values(params);
    float values[8];
    std::memcpy(values, data, sizeof values);
    for (const float value : values)
        if (!std::isfinite(value))
            return 0;
    float* fields[] = {&params.a,  &params.b,  &params.m,      &params.n1,
                       &params.n2, &params.n3, &params.radius, &params.scale};
    for (int k = 0; k < 8; ++k)
        *fields[k] = values[k];
    params.slices = 1 + data[32] % 16;
    params.bands = 1 + data[33] % 16;
    std::memcpy(params.color, data + 34, 4);
    params.rot_str.assign(reinterpret_cast<const char*>(data) + fixed_bytes, size - fixed_bytes);

    mesh::Triangle_mesh closed;
    const runtime::Status status = mesh::build_closed_mesh(params, closed);
    if (!status.ok()) {
        FUZZ_REQUIRE(status.kind == runtime::Status::Kind::refused && !status.message.empty());
        FUZZ_REQUIRE(closed.positions.empty() && closed.triangles.empty());
        return 0;
    }
    const mesh::Mesh_view view = closed.view();
    const mesh::Mesh_statistics statistics = mesh::measure(view);
    FUZZ_REQUIRE(statistics.closed && statistics.integrals.volume > 0);
    // One line, in which any bytes of rot_str can be told apart: each file below carries it whole.
    const std::string text = mesh::parameter_text(params);
    FUZZ_REQUIRE(text.find_first_of("\r\n") == std::string::npos && text.back() == '"' &&
                 rot_str_read_back(text) == params.rot_str);
    const mesh::Export_mesh file{view, "fuzz", params, "fuzz.mtl"};
    for (const mesh::Format_row& row : mesh::formats) {
        const mesh::Format format = row.format;
        runtime::Status wrote;
        const std::string bytes = written(format, file, wrote);
        // 3MF refuses what its six decimals cannot hold; nothing else may fail.
        if (format == mesh::Format::threemf && wrote.kind == runtime::Status::Kind::refused)
            continue;
        FUZZ_REQUIRE(wrote.ok());
        switch (format) {
        case mesh::Format::stl: check_stl(bytes, view); break;
        case mesh::Format::obj: check_obj(bytes, view, params); break;
        case mesh::Format::ply: check_ply(bytes, view, params); break;
        case mesh::Format::glb: check_outside(test_support::read_glb(bytes), view, params); break;
        case mesh::Format::threemf: check_outside(test_support::read_3mf(bytes), view, params); break;
        }
    }
    return 0;
}
