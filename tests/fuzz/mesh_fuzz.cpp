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
#include "params/fields.h"
#include "tests/fuzz/fuzz_check.h"

#include <Model/COM/NMR_DLLInterfaces.h>
#include <tiny_gltf.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

extern "C" const char* __lsan_default_suppressions() { return "leak:libzip.so\n"; }

namespace {

constexpr std::size_t fixed_bytes = 8 * sizeof(float) + 2 + 4;

std::string written(mesh::Format format, const mesh::Export_mesh& file, runtime::Status& status)
{
    char* bytes = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&bytes, &size);
    status = mesh::write_mesh(format, out, file);
    std::fclose(out);
    std::string text(bytes, size);
    std::free(bytes);
    return text;
}

// The parameter line of an OBJ or PLY comment or of 3MF's metadata, read
// back field by field as the table lists them; false when it does not read.
bool read_parameter_text(std::string_view text, Tparams& params)
{
    for (const record::Field& field : record::saved_fields) {
        const std::string name = std::string(field.name) + "=";
        if (text.substr(0, name.size()) != name)
            return false;
        text.remove_prefix(name.size());
        const std::size_t end = field.kind == record::Kind::text ? text.size() : text.find(' ');
        std::string_view value = text.substr(0, end);
        text.remove_prefix(std::min(text.size(), end + 1));
        if (field.kind == record::Kind::number) {
            if (std::from_chars(value.data(), value.data() + value.size(), params.*field.number).ptr !=
                value.data() + value.size())
                return false;
        } else if (field.kind == record::Kind::count) {
            params.*field.count = std::stoi(std::string(value));
        } else if (field.kind == record::Kind::colour) {
            for (int k = 0; k < 4; ++k, value.remove_prefix(std::min(value.size(), value.find(',') + 1)))
                (params.*field.colour)[k] = static_cast<std::uint8_t>(std::stoi(std::string(value)));
        } else {
            if (value.size() < 2 || value.front() != '"' || value.back() != '"')
                return false;
            std::string& out = params.*field.text;
            out.clear();
            for (std::size_t k = 1; k + 1 < value.size(); ++k) {
                if (value[k] != '\\')
                    out += value[k];
                else if (value[++k] == 'x')
                    out += static_cast<char>(std::stoi(std::string(value.substr(k + 1, 2)), nullptr, 16)), k += 2;
                else
                    out += value[k];
            }
        }
    }
    return text.empty();
}

bool same_parameters(const Tparams& p, const Tparams& q)
{
    return mesh::parameter_text(p) == mesh::parameter_text(q) && p.rot_str == q.rot_str;
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
            FUZZ_REQUIRE(std::memcmp(&bytes[84 + 50 * t + 12 * std::size_t(c + 1)],
                                     &mesh.positions[(&tri.i0)[c]], sizeof(mesh::Tvector3)) == 0);
    }
}

void check_obj(const std::string& bytes, const mesh::Mesh_view& mesh, const Tparams& params)
{
    Tparams read;
    FUZZ_REQUIRE(read_parameter_text(line_after(bytes, "# supershape "), read) && same_parameters(read, params));
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
    Tparams read;
    FUZZ_REQUIRE(read_parameter_text(line_after(bytes, "\ncomment supershape "), read) && same_parameters(read, params));
    FUZZ_REQUIRE(std::stoul(line_after(bytes, "\nelement vertex ")) == mesh.vertex_count);
    FUZZ_REQUIRE(std::stoul(line_after(bytes, "\nelement face ")) == mesh.triangle_count);
    const std::size_t body = bytes.find("end_header\n") + 11;
    FUZZ_REQUIRE(bytes.size() == body + 16 * mesh.vertex_count + 13 * mesh.triangle_count);
}

void check_glb(const std::string& bytes, const mesh::Mesh_view& mesh, const Tparams& params)
{
    tinygltf::Model model;
    tinygltf::TinyGLTF gltf;
    std::string error, warning;
    FUZZ_REQUIRE(gltf.LoadBinaryFromMemory(&model, &error, &warning, reinterpret_cast<const unsigned char*>(bytes.data()),
                                           unsigned(bytes.size())));
    const tinygltf::Primitive& primitive = model.meshes.at(0).primitives.at(0);
    FUZZ_REQUIRE(model.accessors.at(std::size_t(primitive.attributes.at("POSITION"))).count == mesh.vertex_count);
    FUZZ_REQUIRE(model.accessors.at(std::size_t(primitive.indices)).count == 3 * mesh.triangle_count);
    const tinygltf::Value& extras = model.nodes.at(0).extras.Get("supershape");
    Tparams read;
    for (const record::Field& field : record::saved_fields) {
        const tinygltf::Value& value = extras.Get(field.name);
        if (field.kind == record::Kind::number)
            read.*field.number = static_cast<float>(value.GetNumberAsDouble());
        else if (field.kind == record::Kind::count)
            read.*field.count = value.GetNumberAsInt();
        else if (field.kind == record::Kind::colour)
            for (int k = 0; k < 4; ++k)
                (read.*field.colour)[k] = static_cast<std::uint8_t>(value.Get(k).GetNumberAsInt());
        else
            // Each character's code point is a byte of rot_str.
            for (std::size_t k = 0; k < value.Get<std::string>().size(); ++k) {
                const auto byte = static_cast<unsigned char>(value.Get<std::string>()[k]);
                read.*field.text += byte < 0x80 ? char(byte) : char((byte & 3) << 6 | (value.Get<std::string>()[++k] & 0x3f));
            }
    }
    FUZZ_REQUIRE(same_parameters(read, params));
}

constexpr std::pair<std::string_view, char> entities[] = {{"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}};

void check_3mf(const std::string& bytes, const mesh::Mesh_view& mesh, const Tparams& params)
{
    using namespace NMR;
    PLib3MFModel *model = nullptr, *reader = nullptr, *objects = nullptr, *object = nullptr;
    BOOL more = false;
    DWORD vertices = 0, triangles = 0;
    ULONG needed = 0;
    std::vector<char> description(64 * 1024);
    lib3mf_createmodel(&model);
    lib3mf_model_queryreader(model, "3mf", &reader);
    std::vector<BYTE> buffer(bytes.begin(), bytes.end());
    FUZZ_REQUIRE(lib3mf_reader_readfrombuffer(reader, buffer.data(), buffer.size()) == LIB3MF_OK);
    lib3mf_model_getmeshobjects(model, &objects);
    lib3mf_resourceiterator_movenext(objects, &more);
    lib3mf_resourceiterator_getcurrent(objects, &object);
    lib3mf_meshobject_getvertexcount(object, &vertices);
    lib3mf_meshobject_gettrianglecount(object, &triangles);
    lib3mf_model_getmetadatavalueutf8(model, 0, description.data(), ULONG(description.size()), &needed);
    for (PLib3MFBase* held : {object, objects, reader, model})
        lib3mf_release(held);
    FUZZ_REQUIRE(vertices == mesh.vertex_count && triangles == mesh.triangle_count);
    // lib3mf hands the text over with the XML's entities as they stand.
    // One pass, left to right: "&amp;lt;" stands for "&lt;".
    std::string text;
    for (std::string_view rest = description.data(); !rest.empty();) {
        const auto entity = std::find_if(std::begin(entities), std::end(entities),
                                         [&](const auto& e) { return rest.substr(0, e.first.size()) == e.first; });
        text += entity == std::end(entities) ? rest.front() : entity->second;
        rest.remove_prefix(entity == std::end(entities) ? 1 : entity->first.size());
    }
    Tparams read;
    FUZZ_REQUIRE(read_parameter_text(text, read) && same_parameters(read, params));
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
    float* fields[] = {&params.a, &params.b, &params.m, &params.n1, &params.n2, &params.n3, &params.radius, &params.scale};
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
    const mesh::Export_mesh file{view, "fuzz", params, "fuzz.mtl"};
    for (const mesh::Format format : {mesh::Format::stl, mesh::Format::obj, mesh::Format::ply, mesh::Format::glb,
                                      mesh::Format::threemf}) {
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
        case mesh::Format::glb: check_glb(bytes, view, params); break;
        case mesh::Format::threemf: check_3mf(bytes, view, params); break;
        }
    }
    return 0;
}
