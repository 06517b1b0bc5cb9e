// The 3MF writer, on lib3mf's C interface: one mesh object, one build item
// and the parameters as metadata, zipped into memory and then written out.
#include "mesh/metadata.h"
#include "mesh/statistics.h"
#include "mesh/writer_support.h"
#include "mesh/writers.h"

#include <Common/Platform/NMR_ExportStream_Callback.h>
#include <Model/COM/NMR_DLLInterfaces.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace mesh {
namespace {

// Releases one lib3mf object.
class Handle {
public:
    Handle() = default;
    ~Handle()
    {
        if (object)
            NMR::lib3mf_release(object);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    NMR::PLib3MFBase* get() const { return object; }
    NMR::PLib3MFBase** out() { return &object; }

private:
    NMR::PLib3MFBase* object = nullptr;
};

// The zip archive grows here: lib3mf seeks back to fill in sizes.
struct Memory_file {
    std::vector<unsigned char> bytes;
    std::size_t position = 0;
};

// lib3mf's write and seek callbacks: 0 for success.
NMR::nfUint32 write_callback(NMR::nfByte* data, NMR::nfUint32 count, void* user)
{
    auto& file = *static_cast<Memory_file*>(user);
    try {
        if (file.position + count > file.bytes.size())
            file.bytes.resize(file.position + count);
    } catch (const std::bad_alloc&) {
        return 1;
    }
    std::memcpy(file.bytes.data() + file.position, data, count);
    file.position += count;
    return 0;
}

NMR::nfUint32 seek_callback(NMR::nfUint64 position, void* user)
{
    auto& file = *static_cast<Memory_file*>(user);
    if (position > file.bytes.size())
        return 1;
    file.position = std::size_t(position);
    return 0;
}

bool failed(LIB3MFRESULT result) { return result != LIB3MF_OK; }

// 0, or the errno of the first failure.
int write_3mf_file(std::FILE* out, const Mesh_view& mesh, const Tparams& params)
{
    static_assert(sizeof(NMR::MODELMESHVERTEX) == sizeof(Tvector3) &&
                  sizeof(NMR::MODELMESHTRIANGLE) == sizeof(Ttriangle));
    if (mesh.vertex_count > UINT32_MAX || mesh.triangle_count > UINT32_MAX)
        return EFBIG;
    Memory_file file;
    try {
        std::vector<NMR::MODELMESHVERTEX> vertices(mesh.vertex_count);
        std::memcpy(vertices.data(), mesh.positions, mesh.vertex_count * sizeof(Tvector3));
        std::vector<NMR::MODELMESHTRIANGLE> triangles(mesh.triangle_count);
        std::memcpy(triangles.data(), mesh.triangles, mesh.triangle_count * sizeof(Ttriangle));

        Handle model, object, item, writer;
        if (failed(NMR::lib3mf_createmodel(model.out())) ||
            failed(NMR::lib3mf_model_addmeshobject(model.get(), object.out())) ||
            failed(NMR::lib3mf_meshobject_setgeometry(object.get(), vertices.data(),
                                                      DWORD(vertices.size()), triangles.data(),
                                                      DWORD(triangles.size()))) ||
            failed(NMR::lib3mf_model_addbuilditem(model.get(), object.get(), nullptr,
                                                  item.out())) ||
            failed(NMR::lib3mf_model_addmetadatautf8(model.get(), "Description",
                                                     parameter_text(params).c_str())) ||
            failed(NMR::lib3mf_model_querywriter(model.get(), "3mf", writer.out())))
            return EIO;
        // The model holds its own copy now.
        vertices = {};
        triangles = {};
        const NMR::ExportStream_WriteCallbackType write = &write_callback;
        const NMR::ExportStream_SeekCallbackType seek = &seek_callback;
        if (failed(NMR::lib3mf_writer_writetocallback(writer.get(), reinterpret_cast<void*>(write),
                                                      reinterpret_cast<void*>(seek), &file)))
            return EIO;
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
    const int error = detail::write_bytes(out, file.bytes.data(), file.bytes.size());
    return error != 0 ? error : detail::flush(out);
}

} // namespace

Status write_3mf(std::FILE* out, const Mesh_view& mesh, const Tparams& params)
{
    return detail::write_status(write_3mf_file(out, mesh, params));
}

} // namespace mesh
