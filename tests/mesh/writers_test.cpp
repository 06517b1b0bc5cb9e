#include "app/Tparams.h"
#include "mesh/closed_mesh.h"
#include "mesh/writers.h"

#include <Model/COM/NMR_DLLInterfaces.h>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <fstream>
#include <sstream>

using mesh::Format;

// lib3mf's reader leaves entries of its zip archive open; libzip is the only
// frame the leak checker sees.
extern "C" const char* __lsan_default_suppressions() { return "leak:libzip.so\n"; }

namespace {

// What an outside reader found: vertices, triangles and, for 3MF, the
// description.
struct Read_back {
    std::vector<mesh::Tvector3> positions;
    std::vector<mesh::Ttriangle> triangles;
    std::string description;
};

Read_back read_with_assimp(const std::string& path)
{
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    Read_back found;
    if (!scene || scene->mNumMeshes != 1)
        return found;
    const aiMesh& read = *scene->mMeshes[0];
    for (const aiVector3D& p : std::vector<aiVector3D>(read.mVertices, read.mVertices + read.mNumVertices))
        found.positions.push_back({p.x, p.y, p.z});
    for (const aiFace& face : std::vector<aiFace>(read.mFaces, read.mFaces + read.mNumFaces))
        found.triangles.push_back({int(face.mIndices[0]), int(face.mIndices[1]), int(face.mIndices[2])});
    return found;
}

Read_back read_with_lib3mf(const std::string& path)
{
    using namespace NMR;
    PLib3MFModel *model = nullptr, *reader = nullptr, *objects = nullptr, *object = nullptr;
    BOOL more = false;
    DWORD vertices = 0, triangles = 0;
    char key[64] = {}, value[512] = {};
    ULONG needed = 0;
    lib3mf_createmodel(&model);
    lib3mf_model_queryreader(model, "3mf", &reader);
    lib3mf_reader_readfromfileutf8(reader, path.c_str());
    lib3mf_model_getmeshobjects(model, &objects);
    lib3mf_resourceiterator_movenext(objects, &more);
    lib3mf_resourceiterator_getcurrent(objects, &object);
    lib3mf_meshobject_getvertexcount(object, &vertices);
    lib3mf_meshobject_gettrianglecount(object, &triangles);
    // Its vertices and triangles are laid out as ours; the writer relies on it too.
    Read_back found{std::vector<mesh::Tvector3>(vertices), std::vector<mesh::Ttriangle>(triangles), ""};
    lib3mf_meshobject_getvertices(object, reinterpret_cast<MODELMESHVERTEX*>(found.positions.data()), vertices, nullptr);
    lib3mf_meshobject_gettriangleindices(object, reinterpret_cast<MODELMESHTRIANGLE*>(found.triangles.data()),
                                         triangles, nullptr);
    lib3mf_model_getmetadatakeyutf8(model, 0, key, sizeof key, &needed);
    lib3mf_model_getmetadatavalueutf8(model, 0, value, sizeof value, &needed);
    found.description = std::string(key) == "Description" ? value : "";
    for (PLib3MFBase* held : {object, objects, reader, model})
        if (held)
            lib3mf_release(held);
    return found;
}

} // namespace

// Every format, closed and raw, read back by a reader of another library:
// each triangle's corners as written, within what the reader keeps (lib3mf
// writes six decimals, Assimp's OBJ reader may miss a float's last bit), and
// the parameters in the file. A full device is reported.
TEST(MeshWriters, OutsideReadersFindTheSameTrianglesAndParameters)
{
    Tparams params;
    set_start_values(params);
    params.n3 = 1.7f, params.radius = 1.25f, params.scale = 0.7f, params.slices = 9, params.bands = 11;
    // Floats that need all their digits or an exponent; a text that comment lines must not break on.
    params.a = std::nextafter(1.0f, 2.0f), params.m = 2e-5f;
    params.rot_str = "rotations: \"xy\"\\\n\xe9";
    const std::string line = R"(a=1.0000001 b=1 m=2e-05 n1=0.3 n2=1 n3=1.7 radius=1.25 slices=9 bands=11 scale=0.7 )"
                             R"(color=255,255,64,255 rot_str="rotations: \"xy\"\\\x0a\xe9")";
    EXPECT_EQ(mesh::parameter_text(params), line);
    Nsupershape::Tsupershape shape;
    mesh::reset_like_editor(shape, params);
    mesh::Closed_mesh closed;
    mesh::Mesh_view raw;
    ASSERT_TRUE(mesh::build_closed_mesh(shape, params.scale, closed).ok() && mesh::raw_view(shape, raw).ok());
    for (const Format format : {Format::stl, Format::obj, Format::ply, Format::glb, Format::threemf}) {
        const std::string extension = mesh::extension_of(format), path = testing::TempDir() + "mesh." + extension;
        EXPECT_EQ(mesh::format_for_path("out/x." + extension), format);
        std::FILE* full = std::fopen("/dev/full", "wb");
        EXPECT_EQ(mesh::write_mesh(format, full, closed.view(), params), ENOSPC) << extension;
        std::fclose(full);
        const auto near = [format](float read, float written) {
            return format == Format::threemf ? std::fabs(read - written) <= 1e-6f
                   : format == Format::obj   ? std::fabs(read - written) <= 1e-6f * std::fabs(written)
                                             : read == written;
        };
        for (const mesh::Mesh_view& view : {closed.view(), raw}) {
            SCOPED_TRACE(extension + (view.positions == raw.positions ? " raw" : " closed"));
            std::FILE* out = std::fopen(path.c_str(), "wb");
            ASSERT_EQ(mesh::write_mesh(format, out, view, params), 0);
            ASSERT_EQ(std::fclose(out), 0);
            const Read_back found = format == Format::threemf ? read_with_lib3mf(path) : read_with_assimp(path);
            // Assimp gives every corner of an STL or OBJ file a vertex of its own.
            const bool indexed = format != Format::stl && format != Format::obj;
            EXPECT_EQ(found.positions.size(), indexed ? view.vertex_count : 3 * view.triangle_count);
            ASSERT_EQ(found.triangles.size(), view.triangle_count);
            for (std::size_t t = 0; t < view.triangle_count; ++t) {
                const mesh::Ttriangle &w = view.triangles[t], &g = found.triangles[t];
                for (const auto& [wi, gi] : {std::pair{w.i0, g.i0}, {w.i1, g.i1}, {w.i2, g.i2}}) {
                    const mesh::Tvector3 &want = view.positions[wi], &got = found.positions.at(gi);
                    ASSERT_TRUE(near(got.x, want.x) && near(got.y, want.y) && near(got.z, want.z)) << t;
                }
            }
            std::ostringstream bytes;
            bytes << std::ifstream(path, std::ios::binary).rdbuf();
            const std::string embedded = format == Format::obj   ? "# supershape " + line + "\n"
                                         : format == Format::ply ? "comment supershape " + line + "\n"
                                         : format == Format::glb ? R"("n1":0.3,"n2":1.0,"n3":1.7,"radius":1.25)"
                                                                 : "";
            EXPECT_NE(bytes.str().find(embedded), std::string::npos);
            EXPECT_EQ(found.description, format == Format::threemf ? line : "");
        }
    }
    EXPECT_EQ(mesh::format_for_path("X.3MF"), Format::threemf);
    for (const char* path : {"x", ".stl", "x.stl/y", "x.stp", "x."})
        EXPECT_EQ(mesh::format_for_path(path), std::nullopt) << path;
}
