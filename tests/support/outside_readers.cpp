#include "tests/support/outside_readers.h"

#include "export/metadata.h"
#include "params/fields.h"
#include "tests/support/format_expectations.h"
#include "tests/support/scratch_folder.h"

#include <Model/COM/NMR_DLLInterfaces.h>
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <tiny_gltf.h>

#include <cmath>
#include <codecvt>
#include <cstring>
#include <locale>
#include <regex>

// lib3mf's reader leaves zip entries open; libzip is the only frame the leak checker sees.
extern "C" const char* __lsan_default_suppressions() { return "leak:libzip.so\n"; }

namespace test_support {

namespace {

int byte(double fraction) { return int(std::lround(fraction * 255)); }
double srgb(double linear) { return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055; }

// &amp; last, so that "&amp;lt;" stays "&lt;".
std::string xml_decoded(const std::string& text)
{
    const std::string less = std::regex_replace(text, std::regex("&lt;"), "<");
    return std::regex_replace(std::regex_replace(less, std::regex("&gt;"), ">"), std::regex("&amp;"), "&");
}

template <class T>
std::vector<T> accessor_data(const tinygltf::Model& model, int index)
{
    const tinygltf::Accessor& accessor = model.accessors.at(std::size_t(index));
    const tinygltf::BufferView& view = model.bufferViews.at(std::size_t(accessor.bufferView));
    std::vector<T> items(accessor.count * (accessor.type == TINYGLTF_TYPE_SCALAR ? 1 : 3) * sizeof(float) / sizeof(T));
    std::memcpy(items.data(), model.buffers[0].data.data() + view.byteOffset + accessor.byteOffset,
                items.size() * sizeof(T));
    return items;
}

// The record in the node's extras: rot_str's bytes travel as the code points of their numbers.
Tparams extras_record(const tinygltf::Value& extras)
{
    Tparams read;
    for (const params::Field& field : params::saved_fields) {
        if (field.group == params::Group::second_set && extras.Has(field.name))
            read.sets_linked = 0;
        const tinygltf::Value& value = extras.Get(field.name);
        switch (field.kind) {
        case params::Kind::number: read.*field.number = static_cast<float>(value.GetNumberAsDouble()); break;
        case params::Kind::count: read.*field.count = value.GetNumberAsInt(); break;
        case params::Kind::colour:
            for (int k = 0; k < 4; ++k)
                (read.*field.colour)[k] = static_cast<std::uint8_t>(value.Get(k).GetNumberAsInt());
            break;
        case params::Kind::text:
            for (const char32_t c :
                 std::wstring_convert<std::codecvt_utf8<char32_t>, char32_t>().from_bytes(value.Get<std::string>()))
                read.*field.text += static_cast<char>(c);
        }
    }
    return read;
}

Read_back read_3mf(const std::string& bytes)
{
    using namespace NMR;
    PLib3MFModel *model = nullptr, *reader = nullptr, *objects = nullptr, *object = nullptr, *colours = nullptr;
    BOOL more = false;
    DWORD vertices = 0, triangles = 0, unit = 0, type = 0;
    ULONG needed = 0;
    std::vector<char> key(64), value(64 * 1024), name(1024);
    MODELMESHCOLOR_SRGB colour{};
    Read_back found;
    std::vector<BYTE> buffer(bytes.begin(), bytes.end());
    lib3mf_createmodel(&model);
    lib3mf_model_queryreader(model, "3mf", &reader);
    if (lib3mf_reader_readfrombuffer(reader, buffer.data(), buffer.size()) == LIB3MF_OK) {
        lib3mf_model_getmeshobjects(model, &objects);
        lib3mf_resourceiterator_movenext(objects, &more);
        lib3mf_resourceiterator_getcurrent(objects, &object);
        lib3mf_meshobject_getvertexcount(object, &vertices);
        lib3mf_meshobject_gettrianglecount(object, &triangles);
        // Its vertices and triangles are laid out as ours; the writer relies on it too.
        found.positions.resize(vertices);
        found.triangles.resize(triangles);
        lib3mf_meshobject_getvertices(object, reinterpret_cast<MODELMESHVERTEX*>(found.positions.data()), vertices,
                                      nullptr);
        lib3mf_meshobject_gettriangleindices(object, reinterpret_cast<MODELMESHTRIANGLE*>(found.triangles.data()),
                                             triangles, nullptr);
        lib3mf_model_getmetadatakeyutf8(model, 0, key.data(), ULONG(key.size()), &needed);
        lib3mf_model_getmetadatavalueutf8(model, 0, value.data(), ULONG(value.size()), &needed);
        // lib3mf hands the text over with its entities as they stand.
        const bool well_formed = !std::regex_search(value.data(), std::regex("[<>]|&(?!amp;|lt;|gt;)"));
        found.parameters = std::string(key.data()) == "Description" && well_formed ? xml_decoded(value.data())
                                                                                   : "(raw)";
        lib3mf_object_getnameutf8(object, name.data(), ULONG(name.size()), &needed);
        found.name = name.data();
        lib3mf_object_gettype(object, &type);
        found.object_type = type == MODELOBJECTTYPE_MODEL     ? "model"
                            : type == MODELOBJECTTYPE_SURFACE ? "surface"
                                                              : "other";
        lib3mf_object_createdefaultpropertyhandler(object, &colours);
        lib3mf_defaultpropertyhandler_getcolor(colours, 0, &colour);
        found.colour = {colour.m_Red, colour.m_Green, colour.m_Blue, colour.m_Alpha};
        lib3mf_model_getunit(model, &unit);
        found.millimetres_per_unit = unit == MODELUNIT_MICROMETER   ? 0.001
                                     : unit == MODELUNIT_CENTIMETER ? 10
                                     : unit == MODELUNIT_METER      ? 1000
                                                                    : 1;
    }
    for (PLib3MFBase* held : {colours, object, objects, reader, model})
        if (held)
            lib3mf_release(held);
    return found;
}

Read_back read_glb(const std::string& bytes)
{
    tinygltf::Model model;
    std::string error, warning;
    Read_back found;
    if (!tinygltf::TinyGLTF().LoadBinaryFromMemory(
            &model, &error, &warning, reinterpret_cast<const unsigned char*>(bytes.data()), unsigned(bytes.size())) ||
        model.meshes.size() != 1)
        return found;
    const tinygltf::Primitive& primitive = model.meshes[0].primitives.at(0);
    found.positions = accessor_data<mesh::Tvector3>(model, primitive.attributes.at("POSITION"));
    found.normals = accessor_data<mesh::Tvector3>(model, primitive.attributes.at("NORMAL"));
    found.triangles = accessor_data<mesh::Ttriangle>(model, primitive.indices);
    const tinygltf::Material& material = model.materials.at(std::size_t(primitive.material));
    const std::vector<double>& factor = material.pbrMetallicRoughness.baseColorFactor;
    found.colour = {byte(srgb(factor[0])), byte(srgb(factor[1])), byte(srgb(factor[2])), byte(factor[3])};
    found.name = model.nodes.at(0).name + (material.alphaMode == "BLEND" ? " blended" : "");
    found.parameters = file_export::parameter_text(extras_record(model.nodes[0].extras.Get("supershape")));
    return found;
}

// Assimp takes a '\n' that begins a binary PLY's data for part of the header's line end and misreads all that
// follows; its line end "\r\n" it reads right. The data it is given is the file's own.
const aiScene* read_ply(Assimp::Importer& importer, std::string bytes)
{
    const std::string end = "\nend_header\n";
    if (const std::size_t at = bytes.find(end); at != std::string::npos)
        bytes.insert(at + end.size() - 1, "\r");
    return importer.ReadFileFromMemory(bytes.data(), bytes.size(), 0, "ply");
}

} // namespace

Read_back read_mesh_file(file_export::Format format, const std::string& path)
{
    const std::string bytes = file_text(path);
    if (format == file_export::Format::glb)
        return read_glb(bytes);
    if (format == file_export::Format::threemf)
        return read_3mf(bytes);
    const char* const comment = expected_of(format).comment;
    Assimp::Importer importer;
    const aiScene* scene = format == file_export::Format::ply ? read_ply(importer, bytes) : importer.ReadFile(path, 0);
    Read_back found;
    if (!scene || scene->mNumMeshes != 1)
        return found;
    const aiMesh& read = *scene->mMeshes[0];
    const aiMaterial& material = *scene->mMaterials[read.mMaterialIndex];
    for (const aiVector3D& p : std::vector<aiVector3D>(read.mVertices, read.mVertices + read.mNumVertices))
        found.positions.push_back({p.x, p.y, p.z});
    for (unsigned k = 0; read.mNormals && k < read.mNumVertices; ++k)
        found.normals.push_back({read.mNormals[k].x, read.mNormals[k].y, read.mNormals[k].z});
    for (const aiFace& face : std::vector<aiFace>(read.mFaces, read.mFaces + read.mNumFaces)) {
        // A face of another size is a misreading, which no file of ours holds.
        if (face.mNumIndices != 3)
            return {};
        found.triangles.push_back({int(face.mIndices[0]), int(face.mIndices[1]), int(face.mIndices[2])});
    }
    if (const std::size_t at = comment ? bytes.find(comment) : std::string::npos; at != std::string::npos) {
        const std::size_t start = at + std::strlen(comment);
        found.parameters = bytes.substr(start, bytes.find('\n', start) - start);
    }
    aiColor4D c;
    if (read.mColors[0])
        c = read.mColors[0][read.mNumVertices - 1];
    else if (material.Get(AI_MATKEY_COLOR_DIFFUSE, c) != aiReturn_SUCCESS ||
             material.Get(AI_MATKEY_OPACITY, c.a) != aiReturn_SUCCESS)
        return found;
    // OBJ's Kd is linear, as Blender writes and reads it.
    if (format == file_export::Format::obj)
        c = {float(srgb(c.r)), float(srgb(c.g)), float(srgb(c.b)), c.a};
    found.colour = {byte(c.r), byte(c.g), byte(c.b), byte(c.a)};
    if (aiString name; format == file_export::Format::obj && material.Get(AI_MATKEY_NAME, name) == aiReturn_SUCCESS)
        found.name = name.C_Str();
    return found;
}

std::string changed_corner(const Read_back& found, const mesh::Mesh_view& mesh, file_export::Format format)
{
    const Format_expectation& expected = expected_of(format);
    // glb copies a vertex on a crease.
    if ((expected.indexed ? found.positions.size() < mesh.vertex_count
                          : found.positions.size() != 3 * mesh.triangle_count) ||
        found.triangles.size() != mesh.triangle_count)
        return "read " + std::to_string(found.positions.size()) + " vertices and " +
               std::to_string(found.triangles.size()) + " triangles";
    // 3MF may be in another unit than the mesh's millimetres.
    const double unit = found.millimetres_per_unit;
    const auto near = [=](float a, float b) {
        return std::fabs(a * unit - b) <= expected.absolute * unit + expected.relative * std::fabs(b);
    };
    const std::int32_t *written = &mesh.triangles[0].i0, *read = &found.triangles[0].i0;
    for (std::size_t c = 0; c < 3 * mesh.triangle_count; ++c) {
        const mesh::Tvector3 &want = mesh.positions[written[c]], &got = found.positions.at(std::size_t(read[c]));
        if (!(near(got.x, want.x) && near(got.y, want.y) && near(got.z, want.z)))
            return "corner " + std::to_string(c) + " moved";
    }
    return "";
}

} // namespace test_support
