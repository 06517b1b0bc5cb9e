#include "mesh/closed_mesh.h"
#include "mesh/formats.h"
#include "mesh/metadata.h"
#include "params/Tparams.h"

#include <Model/COM/NMR_DLLInterfaces.h>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

using mesh::Format;

// lib3mf's reader leaves zip entries open; libzip is the only frame the leak checker sees.
extern "C" const char* __lsan_default_suppressions() { return "leak:libzip.so\n"; }

namespace {

// What an outside reader found: vertices, triangles and, for 3MF, the description.
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
        lib3mf_release(held);
    return found;
}

} // namespace

// Every format, closed and raw, read back by another library: each triangle's corners as written, and the
// parameters. A full disk fails.
TEST(MeshWriters, OutsideReadersFindTheSameTrianglesAndParameters)
{
    Tparams params;
    set_start_values(params);
    params.n3 = 1.7f, params.radius = 1.25f, params.scale = 0.7f, params.slices = 9, params.bands = 11;
    // Floats that need all their digits or an exponent; a text that comment lines must not break on.
    params.a = std::nextafter(1.0f, 2.0f), params.m = 2e-5f, params.rot_str = "rotations: \"xy\"\\\n\xe9";
    const std::string line = R"(a=1.0000001 b=1 m=2e-05 n1=0.3 n2=1 n3=1.7 radius=1.25 slices=9 bands=11 scale=0.7 )"
                             R"(color=255,255,64,255 rot_str="rotations: \"xy\"\\\x0a\xe9")";
    EXPECT_EQ(mesh::parameter_text(params), line);
    mesh::Triangle_mesh closed, raw_grid;
    ASSERT_TRUE(mesh::build_closed_mesh(params, closed).ok() && mesh::build_raw_grid(params, raw_grid).ok());
    const mesh::Mesh_view raw = raw_grid.view();
    const std::pair<Format, std::string> parameters_embedded[] = {
        {Format::stl, ""}, {Format::obj, "# supershape " + line + "\n"}, {Format::ply, "comment supershape " + line + "\n"},
        {Format::glb, R"("n1":0.3,"n2":1.0,"n3":1.7,"radius":1.25)"}, {Format::threemf, ""}};
    for (const auto& [format, embedded] : parameters_embedded) {
        const std::string extension = mesh::extension_of(format), path = testing::TempDir() + "mesh." + extension;
        EXPECT_EQ(mesh::format_for_path("out/x." + extension), format);
        std::FILE* full = std::fopen("/dev/full", "wb");
        EXPECT_EQ(mesh::write_mesh(format, full, closed.view(), params).message, "No space left on device") << extension;
        std::fclose(full);
        // lib3mf keeps six decimals, Assimp's OBJ reader may miss a float's last bit; the others are exact.
        const float absolute = format == Format::threemf ? 1e-6f : 0, relative = format == Format::obj ? 1e-6f : 0;
        const auto near = [=](float a, float b) { return std::fabs(a - b) <= absolute + relative * std::fabs(b); };
        for (const mesh::Mesh_view& view : {closed.view(), raw}) {
            SCOPED_TRACE(extension + (view.positions == raw.positions ? " raw" : " closed"));
            std::FILE* out = std::fopen(path.c_str(), "wb");
            ASSERT_EQ((std::pair{mesh::write_mesh(format, out, view, params).ok(), std::fclose(out)}), std::pair(true, 0));
            const Read_back found = format == Format::threemf ? read_with_lib3mf(path) : read_with_assimp(path);
            // Assimp gives every corner of an STL or OBJ file a vertex of its own.
            const bool indexed = format != Format::stl && format != Format::obj;
            EXPECT_EQ(found.positions.size(), indexed ? view.vertex_count : 3 * view.triangle_count);
            ASSERT_EQ(found.triangles.size(), view.triangle_count);
            const std::int32_t *written = &view.triangles[0].i0, *read = &found.triangles[0].i0;
            for (std::size_t c = 0; c < 3 * view.triangle_count; ++c) {
                const mesh::Tvector3 &want = view.positions[written[c]], &got = found.positions.at(read[c]);
                ASSERT_TRUE(near(got.x, want.x) && near(got.y, want.y) && near(got.z, want.z)) << c / 3;
            }
            const std::string bytes(std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {});
            EXPECT_NE(bytes.find(embedded), std::string::npos);
            EXPECT_EQ(found.description, format == Format::threemf ? line : "");
        }
    }
    EXPECT_EQ(mesh::format_for_path("X.3MF"), Format::threemf);
    for (const char* path : {"x", ".stl", "x.stl/y", "x.stp", "x."})
        EXPECT_EQ(mesh::format_for_path(path), std::nullopt) << path;
}
