// The 3MF writer, on lib3mf's C interface: one mesh object in its colour, one
// build item and the parameters as metadata, in a unit that keeps the mesh,
// zipped into memory and then written out.
#include "export/metadata.h"
#include "export/writer_support.h"
#include "export/writers.h"
#include "mesh/statistics.h"

#include <Common/Platform/NMR_ExportStream_Callback.h>
#include <Model/COM/NMR_DLLInterfaces.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <string_view>
#include <vector>

namespace file_export {
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

bool failed(LIB3MFRESULT result)
{
    return result != LIB3MF_OK;
}

using Vec = Nsupershape::Vector3<double>;

struct Unit {
    NMR::eModelUnit code;
    double millimetres;
};

// Millimetres, as slicers expect, unless the shape needs another: the finer
// micron for a tiny one, then the coarser ones for a huge one.
constexpr Unit units[] = {{NMR::MODELUNIT_MILLIMETER, 1},
                          {NMR::MODELUNIT_MICROMETER, 0.001},
                          {NMR::MODELUNIT_CENTIMETER, 10},
                          {NMR::MODELUNIT_METER, 1000}};
// lib3mf refuses larger coordinates.
constexpr double largest_coordinate = 1e9;

// A coordinate as lib3mf writes it: six decimals, cut towards zero.
double as_written(float value)
{
    return std::trunc(double(value) * 1e6) / 1e6;
}

// Whether `scaled`, the positions in some unit, come out of the file as the
// same mesh: every coordinate within lib3mf's range, and every triangle that
// has an area keeping one that faces the same way, so that no corners meet
// and none turns over. A triangle whose height is within the float noise of
// the coordinates (the editor's seam has such slivers) has no area to keep.
bool written_intact(const Mesh_view& mesh, const std::vector<Tvector3>& scaled)
{
    float largest = 0;
    for (const Tvector3& p : scaled) {
        if (!(std::fabs(p.x) < largest_coordinate && std::fabs(p.y) < largest_coordinate &&
              std::fabs(p.z) < largest_coordinate))
            return false;
        largest = std::max({largest, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
    }
    const double noise = 8 * double(std::numeric_limits<float>::epsilon()) * largest;
    const auto written = [&](std::int32_t k) {
        const Tvector3& p = scaled[std::size_t(k)];
        return Vec{as_written(p.x), as_written(p.y), as_written(p.z)};
    };
    const auto length = [](const Vec& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); };
    const auto distance = [&](const Tvector3& p, const Tvector3& q) {
        return length({double(q.x) - p.x, double(q.y) - p.y, double(q.z) - p.z});
    };
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        const Ttriangle& tri = mesh.triangles[t];
        const Tvector3 &p = scaled[std::size_t(tri.i0)], &q = scaled[std::size_t(tri.i1)],
                       &r = scaled[std::size_t(tri.i2)];
        const Vec before = Nsupershape::area_normal(p, q, r);
        const double longest = std::max({distance(p, q), distance(q, r), distance(r, p)});
        if (!(length(before) > noise * longest))
            continue;
        const Vec after = Nsupershape::area_normal(written(tri.i0), written(tri.i1), written(tri.i2));
        if (!(before.x * after.x + before.y * after.y + before.z * after.z > 0))
            return false;
    }
    return true;
}

// The first unit in which the mesh is written intact, its positions in that
// unit in `scaled`; null when there is none, `scaled` then in metres.
const Unit* unit_for(const Mesh_view& mesh, std::vector<Tvector3>& scaled)
{
    scaled.resize(mesh.vertex_count);
    for (const Unit& unit : units) {
        for (std::size_t k = 0; k < mesh.vertex_count; ++k) {
            const Tvector3& p = mesh.positions[k];
            scaled[k] = {float(p.x / unit.millimetres), float(p.y / unit.millimetres), float(p.z / unit.millimetres)};
        }
        if (written_intact(mesh, scaled))
            return &unit;
    }
    return nullptr;
}

// The metadata's value is written as the element's text, unescaped.
std::string xml_text(std::string_view text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

} // namespace

Status write_3mf(std::FILE* out, const Export_mesh& export_mesh)
{
    static_assert(sizeof(NMR::MODELMESHVERTEX) == sizeof(Tvector3) &&
                  sizeof(NMR::MODELMESHTRIANGLE) == sizeof(Ttriangle));
    const Mesh_view& mesh = export_mesh.mesh;
    const std::uint8_t* colour = export_mesh.params.color;
    if (mesh.vertex_count > UINT32_MAX || mesh.triangle_count > UINT32_MAX)
        return detail::write_status(EFBIG);
    Memory_file file;
    try {
        std::vector<Tvector3> scaled;
        const Unit* unit = unit_for(mesh, scaled);
        // Left in metres, the coarsest unit.
        const auto too_large = [](const Tvector3& p) {
            return std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)}) >= largest_coordinate;
        };
        if (!unit && std::any_of(scaled.begin(), scaled.end(), too_large))
            return runtime::refused("too large for 3MF, which holds coordinates up to 1e9 metres");
        if (!unit)
            return runtime::refused("too small for 3MF: its six decimals would merge corners even in microns");
        std::vector<NMR::MODELMESHVERTEX> vertices(mesh.vertex_count);
        std::memcpy(vertices.data(), scaled.data(), mesh.vertex_count * sizeof(Tvector3));
        scaled = {};
        std::vector<NMR::MODELMESHTRIANGLE> triangles(mesh.triangle_count);
        std::memcpy(triangles.data(), mesh.triangles, mesh.triangle_count * sizeof(Ttriangle));

        Handle model, object, colouring, item, writer;
        if (failed(NMR::lib3mf_createmodel(model.out())) ||
            failed(NMR::lib3mf_model_setunit(model.get(), unit->code)) ||
            failed(NMR::lib3mf_model_addmeshobject(model.get(), object.out())) ||
            failed(NMR::lib3mf_object_setnameutf8(object.get(), as_utf8(export_mesh.name).c_str())) ||
            // An open surface, such as the editor's grid, is no solid to print.
            failed(NMR::lib3mf_object_settype(object.get(), mesh::is_closed(mesh) ? NMR::MODELOBJECTTYPE_MODEL
                                                                                  : NMR::MODELOBJECTTYPE_SURFACE)) ||
            failed(NMR::lib3mf_meshobject_setgeometry(object.get(), vertices.data(), DWORD(vertices.size()),
                                                      triangles.data(), DWORD(triangles.size()))) ||
            failed(NMR::lib3mf_object_createdefaultpropertyhandler(object.get(), colouring.out())) ||
            failed(NMR::lib3mf_defaultpropertyhandler_setcolorrgba(colouring.get(), colour[0], colour[1], colour[2],
                                                                   colour[3])) ||
            failed(NMR::lib3mf_model_addbuilditem(model.get(), object.get(), nullptr, item.out())) ||
            failed(NMR::lib3mf_model_addmetadatautf8(model.get(), "Description",
                                                     xml_text(parameter_text(export_mesh.params)).c_str())) ||
            failed(NMR::lib3mf_model_querywriter(model.get(), "3mf", writer.out())))
            return detail::write_status(EIO);
        // The model holds its own copy now.
        vertices = {};
        triangles = {};
        const NMR::ExportStream_WriteCallbackType write = &write_callback;
        const NMR::ExportStream_SeekCallbackType seek = &seek_callback;
        if (failed(NMR::lib3mf_writer_writetocallback(writer.get(), reinterpret_cast<void*>(write),
                                                      reinterpret_cast<void*>(seek), &file)))
            return detail::write_status(EIO);
    } catch (const std::bad_alloc&) {
        return detail::write_status(ENOMEM);
    }
    const int error = detail::write_bytes(out, file.bytes.data(), file.bytes.size());
    return detail::write_status(error != 0 ? error : detail::flush(out));
}

} // namespace file_export
