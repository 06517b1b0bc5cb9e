// The glb writer, on tinygltf: the mesh becomes one buffer, three views and
// accessors (positions, normals, indices), one material, one mesh, one node
// and one scene, streamed straight to the file.
#include "export/metadata.h"
#include "export/writer_support.h"
#include "export/writers.h"
#include "mesh/closed_mesh.h"
#include "mesh/statistics.h"

#include <tiny_gltf.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <ostream>
#include <streambuf>

namespace file_export {
namespace {

// An output stream buffer over a C stream that keeps the first error, since
// tinygltf does not check its writes.
class File_buffer : public std::streambuf {
public:
    explicit File_buffer(std::FILE* out) : out(out) {}
    int error = 0;

protected:
    std::streamsize xsputn(const char* data, std::streamsize count) override
    {
        if (error == 0)
            error = detail::write_bytes(out, data, std::size_t(count));
        return error == 0 ? count : 0;
    }
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }

private:
    std::FILE* out;
};

// The same JSON as tinygltf's own value type.
tinygltf::Value gltf_value(const nlohmann::json& json)
{
    switch (json.type()) {
    case nlohmann::json::value_t::boolean: return tinygltf::Value(json.get<bool>());
    case nlohmann::json::value_t::number_integer:
    case nlohmann::json::value_t::number_unsigned: return tinygltf::Value(json.get<int>());
    case nlohmann::json::value_t::number_float: return tinygltf::Value(json.get<double>());
    case nlohmann::json::value_t::string: return tinygltf::Value(json.get<std::string>());
    case nlohmann::json::value_t::array: {
        tinygltf::Value::Array array;
        for (const nlohmann::json& item : json)
            array.push_back(gltf_value(item));
        return tinygltf::Value(std::move(array));
    }
    case nlohmann::json::value_t::object: {
        tinygltf::Value::Object object;
        for (const auto& [key, item] : json.items())
            object.emplace(key, gltf_value(item));
        return tinygltf::Value(std::move(object));
    }
    default: return tinygltf::Value();
    }
}

tinygltf::Material material_of(const Export_mesh& file)
{
    tinygltf::Material material;
    // Named after the shape, so that importers do not number the shapes' materials.
    material.name = as_utf8(file.name);
    const std::uint8_t* colour = file.params.color;
    material.pbrMetallicRoughness.baseColorFactor = {detail::linear(colour[0]), detail::linear(colour[1]),
                                                     detail::linear(colour[2]), colour[3] / 255.0};
    // Printed plastic, not metal.
    material.pbrMetallicRoughness.metallicFactor = 0.0;
    material.pbrMetallicRoughness.roughnessFactor = 0.6;
    if (colour[3] < 255)
        material.alphaMode = "BLEND";
    return material;
}

tinygltf::BufferView view_of_bytes(std::size_t offset, std::size_t length, int target)
{
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = offset;
    view.byteLength = length;
    view.target = target;
    return view;
}

tinygltf::Accessor accessor(int view, int component_type, std::size_t count, int type)
{
    tinygltf::Accessor made;
    made.bufferView = view;
    made.componentType = component_type;
    made.count = count;
    made.type = type;
    return made;
}

// The lit surface's vertices, each with its one normal.
tinygltf::Model make_model(const Export_mesh& file, const mesh::Lit_surface& lit)
{
    const Mesh_view mesh = lit.mesh.view();
    const std::size_t position_bytes = mesh.vertex_count * sizeof(Tvector3);
    const std::size_t index_bytes = mesh.triangle_count * sizeof(Ttriangle);
    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = "supershape mesh writer";

    // Positions, normals, then indices, in one buffer.
    tinygltf::Buffer buffer;
    buffer.data.resize(2 * position_bytes + index_bytes);
    std::memcpy(buffer.data.data(), mesh.positions, position_bytes);
    std::memcpy(buffer.data.data() + position_bytes, lit.normals.data(), position_bytes);
    std::memcpy(buffer.data.data() + 2 * position_bytes, mesh.triangles, index_bytes);
    model.buffers.push_back(std::move(buffer));
    model.bufferViews = {view_of_bytes(0, position_bytes, TINYGLTF_TARGET_ARRAY_BUFFER),
                         view_of_bytes(position_bytes, position_bytes, TINYGLTF_TARGET_ARRAY_BUFFER),
                         view_of_bytes(2 * position_bytes, index_bytes, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER)};

    tinygltf::Accessor positions = accessor(0, TINYGLTF_COMPONENT_TYPE_FLOAT, mesh.vertex_count, TINYGLTF_TYPE_VEC3);
    // glTF requires the positions' bounds.
    const mesh::Box box = mesh::bounding_box(mesh);
    positions.minValues = {box.min.x, box.min.y, box.min.z};
    positions.maxValues = {box.max.x, box.max.y, box.max.z};
    model.accessors = {
        positions, accessor(1, TINYGLTF_COMPONENT_TYPE_FLOAT, mesh.vertex_count, TINYGLTF_TYPE_VEC3),
        accessor(2, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, 3 * mesh.triangle_count, TINYGLTF_TYPE_SCALAR)};
    model.materials.push_back(material_of(file));

    tinygltf::Primitive primitive;
    primitive.attributes["POSITION"] = 0;
    primitive.attributes["NORMAL"] = 1;
    primitive.indices = 2;
    primitive.material = 0;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    tinygltf::Mesh shape;
    shape.name = as_utf8(file.name);
    shape.primitives.push_back(primitive);
    model.meshes.push_back(shape);

    tinygltf::Node node;
    node.mesh = 0;
    node.name = shape.name;
    node.extras = gltf_value({{"supershape", parameter_json(file.params)}});
    model.nodes.push_back(node);
    tinygltf::Scene scene;
    scene.nodes = {0};
    model.scenes.push_back(scene);
    model.defaultScene = 0;
    return model;
}

// 0, or the errno of the first failure.
int write_glb_file(std::FILE* out, const Export_mesh& file)
{
    try {
        mesh::Lit_surface lit;
        mesh::light(file.mesh, lit);
        // The container's lengths are 32-bit; leave room for the JSON chunk.
        const std::uint64_t binary_bytes = 2 * std::uint64_t(lit.mesh.positions.size()) * sizeof(Tvector3) +
                                           std::uint64_t(lit.mesh.triangles.size()) * sizeof(Ttriangle);
        if (binary_bytes > UINT32_MAX - (std::uint64_t(1) << 20))
            return EFBIG;
        const tinygltf::Model model = make_model(file, lit);
        File_buffer file(out);
        std::ostream stream(&file);
        tinygltf::TinyGLTF gltf;
        const bool written = gltf.WriteGltfSceneToStream(&model, stream, false, true);
        if (file.error != 0)
            return file.error;
        if (!written || !stream)
            return EIO;
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    } catch (const std::exception&) {
        return EIO;
    }
    return detail::flush(out);
}

} // namespace

Status write_glb(std::FILE* out, const Export_mesh& file)
{
    return detail::write_status(write_glb_file(out, file));
}

} // namespace file_export
