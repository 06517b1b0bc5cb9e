// The glb writer, on tinygltf: the mesh becomes one buffer, two views, two
// accessors, one mesh, one node and one scene, streamed straight to the file.
#include "mesh/metadata.h"
#include "mesh/statistics.h"
#include "mesh/writer_support.h"
#include "mesh/writers.h"

#include <tiny_gltf.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <ostream>
#include <streambuf>

namespace mesh {
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

tinygltf::Model make_model(const Mesh_view& mesh, const Tparams& params)
{
    const std::size_t position_bytes = mesh.vertex_count * sizeof(Tvector3);
    const std::size_t index_bytes = mesh.triangle_count * sizeof(Ttriangle);
    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = "supershape mesh writer";

    tinygltf::Buffer buffer;
    buffer.data.resize(position_bytes + index_bytes);
    std::memcpy(buffer.data.data(), mesh.positions, position_bytes);
    std::memcpy(buffer.data.data() + position_bytes, mesh.triangles, index_bytes);
    model.buffers.push_back(std::move(buffer));

    tinygltf::BufferView positions;
    positions.buffer = 0;
    positions.byteLength = position_bytes;
    positions.target = TINYGLTF_TARGET_ARRAY_BUFFER;
    tinygltf::BufferView indices;
    indices.buffer = 0;
    indices.byteOffset = position_bytes;
    indices.byteLength = index_bytes;
    indices.target = TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER;
    model.bufferViews = {positions, indices};

    // glTF requires the positions' bounds.
    const Box box = bounding_box(mesh);
    tinygltf::Accessor position_accessor;
    position_accessor.bufferView = 0;
    position_accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    position_accessor.count = mesh.vertex_count;
    position_accessor.type = TINYGLTF_TYPE_VEC3;
    position_accessor.minValues = {box.min.x, box.min.y, box.min.z};
    position_accessor.maxValues = {box.max.x, box.max.y, box.max.z};
    tinygltf::Accessor index_accessor;
    index_accessor.bufferView = 1;
    index_accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
    index_accessor.count = 3 * mesh.triangle_count;
    index_accessor.type = TINYGLTF_TYPE_SCALAR;
    model.accessors = {position_accessor, index_accessor};

    tinygltf::Primitive primitive;
    primitive.attributes["POSITION"] = 0;
    primitive.indices = 1;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    tinygltf::Mesh shape;
    shape.name = "supershape";
    shape.primitives.push_back(primitive);
    model.meshes.push_back(shape);

    tinygltf::Node node;
    node.mesh = 0;
    node.name = "supershape";
    node.extras = gltf_value({{"supershape", parameter_json(params)}});
    model.nodes.push_back(node);
    tinygltf::Scene scene;
    scene.nodes = {0};
    model.scenes.push_back(scene);
    model.defaultScene = 0;
    return model;
}

// 0, or the errno of the first failure.
int write_glb_file(std::FILE* out, const Mesh_view& mesh, const Tparams& params)
{
    // The container's lengths are 32-bit; leave room for the JSON chunk.
    const std::uint64_t binary_bytes = std::uint64_t(mesh.vertex_count) * sizeof(Tvector3) +
                                       std::uint64_t(mesh.triangle_count) * sizeof(Ttriangle);
    if (binary_bytes > UINT32_MAX - (std::uint64_t(1) << 20))
        return EFBIG;
    try {
        const tinygltf::Model model = make_model(mesh, params);
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

Status write_glb(std::FILE* out, const Mesh_view& mesh, const Tparams& params)
{
    return detail::write_status(write_glb_file(out, mesh, params));
}

} // namespace mesh
