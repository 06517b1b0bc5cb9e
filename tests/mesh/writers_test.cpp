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
#include <random>
#include <sstream>

using mesh::Format;
using mesh::Mesh_view;

// lib3mf's reader leaves entries of its zip archive open; libzip is the only
// frame the leak checker sees.
extern "C" const char* __lsan_default_suppressions() { return "leak:libzip.so\n"; }

namespace {

constexpr Format all_formats[] = {Format::stl, Format::obj, Format::ply, Format::glb,
                                  Format::threemf};

// A shape with a rot_str that a comment line must not break, its closed
// mesh and its raw grid.
struct Sample {
    Tparams params;
    Nsupershape::Tsupershape shape;
    mesh::Closed_mesh closed;
    Mesh_view raw;

    Sample()
    {
        set_start_values(params);
        params.m = 6;
        params.n3 = 1.7f;
        params.radius = 1.25f;
        params.scale = 0.7f;
        params.slices = 9;
        params.bands = 11;
        params.rot_str = "rotations: \"xy\"\n";
        mesh::reset_like_editor(shape, params);
        EXPECT_TRUE(mesh::build_closed_mesh(shape, params.scale, closed).ok());
        EXPECT_TRUE(mesh::raw_view(shape, raw).ok());
    }
};

// What an outside reader found: the vertex count, each triangle's corners,
// and for 3MF the description.
struct Read_back {
    std::size_t vertex_count = 0;
    std::vector<mesh::Tvector3> corners;
    std::string description;
};

std::string file_bytes(const std::string& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

Read_back read_with_assimp(const std::string& path)
{
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    Read_back found;
    if (!scene || scene->mNumMeshes != 1) {
        ADD_FAILURE() << importer.GetErrorString();
        return found;
    }
    const aiMesh& read = *scene->mMeshes[0];
    found.vertex_count = read.mNumVertices;
    for (const aiFace& face : std::vector<aiFace>(read.mFaces, read.mFaces + read.mNumFaces))
        for (unsigned c = 0; c < face.mNumIndices; ++c) {
            const aiVector3D& p = read.mVertices[face.mIndices[c]];
            found.corners.push_back({p.x, p.y, p.z});
        }
    return found;
}

Read_back read_with_lib3mf(const std::string& path)
{
    using namespace NMR;
    Read_back found;
    PLib3MFModel *model = nullptr, *reader = nullptr, *objects = nullptr, *object = nullptr;
    BOOL more = false;
    DWORD vertices = 0, triangles = 0;
    lib3mf_createmodel(&model);
    lib3mf_model_queryreader(model, "3mf", &reader);
    EXPECT_EQ(lib3mf_reader_readfromfileutf8(reader, path.c_str()), LIB3MF_OK);
    lib3mf_model_getmeshobjects(model, &objects);
    if (lib3mf_resourceiterator_movenext(objects, &more) == LIB3MF_OK && more &&
        lib3mf_resourceiterator_getcurrent(objects, &object) == LIB3MF_OK) {
        lib3mf_meshobject_getvertexcount(object, &vertices);
        lib3mf_meshobject_gettrianglecount(object, &triangles);
        std::vector<MODELMESHVERTEX> points(vertices);
        std::vector<MODELMESHTRIANGLE> corners(triangles);
        lib3mf_meshobject_getvertices(object, points.data(), vertices, nullptr);
        lib3mf_meshobject_gettriangleindices(object, corners.data(), triangles, nullptr);
        found.vertex_count = vertices;
        for (const MODELMESHTRIANGLE& t : corners)
            for (const DWORD index : t.m_nIndices) {
                const FLOAT* p = points.at(index).m_fPosition;
                found.corners.push_back({p[0], p[1], p[2]});
            }
    }
    char key[64] = {}, value[512] = {};
    ULONG needed = 0;
    lib3mf_model_getmetadatakeyutf8(model, 0, key, sizeof key, &needed);
    lib3mf_model_getmetadatavalueutf8(model, 0, value, sizeof value, &needed);
    found.description = std::string(key) == "Description" ? value : "";
    for (PLib3MFBase* held : {object, objects, reader, model})
        if (held)
            lib3mf_release(held);
    return found;
}

// Corners as written, within what the reader keeps: lib3mf writes six
// decimals, and Assimp's OBJ reader may miss a float's last bit.
void expect_corners(Format format, const Mesh_view& view, const Read_back& found)
{
    ASSERT_EQ(found.corners.size(), 3 * view.triangle_count);
    const auto near = [format](float read, float written) {
        const float error = std::fabs(read - written);
        return format == Format::threemf ? error <= 1e-6f
               : format == Format::obj   ? error <= 1e-6f * std::fabs(written)
                                         : read == written;
    };
    for (std::size_t k = 0; k < found.corners.size(); ++k) {
        const mesh::Ttriangle& t = view.triangles[k / 3];
        const mesh::Tvector3& want = view.positions[k % 3 == 0 ? t.i0 : k % 3 == 1 ? t.i1 : t.i2];
        const mesh::Tvector3& got = found.corners[k];
        ASSERT_TRUE(near(got.x, want.x) && near(got.y, want.y) && near(got.z, want.z)) << k;
    }
}

} // namespace

// Every format, closed and raw, read back by a reader of another library.
TEST(MeshWriters, OutsideReadersFindTheSameTrianglesAndParameters)
{
    const Sample sample;
    const std::string line = mesh::parameter_text(sample.params);
    for (const Format format : all_formats) {
        for (const Mesh_view& view : {sample.closed.view(), sample.raw}) {
            SCOPED_TRACE(std::string(mesh::extension_of(format)) +
                         (view.positions == sample.raw.positions ? " raw" : " closed"));
            const std::string path = testing::TempDir() + "mesh." + mesh::extension_of(format);
            std::FILE* out = std::fopen(path.c_str(), "wb");
            ASSERT_EQ(mesh::write_mesh(format, out, view, sample.params), 0);
            ASSERT_EQ(std::fclose(out), 0);
            const bool by_lib3mf = format == Format::threemf;
            const Read_back found = by_lib3mf ? read_with_lib3mf(path) : read_with_assimp(path);
            expect_corners(format, view, found);
            // Assimp gives every corner of an STL or OBJ file a vertex of its own.
            const bool indexed = format != Format::stl && format != Format::obj;
            EXPECT_EQ(found.vertex_count, indexed ? view.vertex_count : 3 * view.triangle_count);
            const std::string embedded =
                format == Format::obj   ? "# supershape " + line + "\n"
                : format == Format::ply ? "comment supershape " + line + "\n"
                : format == Format::glb ? R"("n1":0.3,"n2":1.0,"n3":1.7,"radius":1.25)"
                                        : "";
            if (by_lib3mf)
                EXPECT_EQ(found.description, line);
            else
                EXPECT_NE(file_bytes(path).find(embedded), std::string::npos);
            std::remove(path.c_str());
        }
    }
}

TEST(MeshWriters, ParameterTextKeepsEveryFloatExactly)
{
    Tparams params;
    set_start_values(params);
    EXPECT_EQ(mesh::parameter_text(params), "a=1 b=1 m=4 n1=0.3 n2=1 n3=1 radius=1 slices=8 "
                                            "bands=8 scale=1 color=255,255,64,255 "
                                            "rot_str=\"rotations: \"");
    params.rot_str = "x\"\\\t\xe9";
    EXPECT_NE(mesh::parameter_text(params).find(R"(rot_str="x\"\\\x09\xe9")"), std::string::npos);
    std::mt19937 random(7);
    float* fields[] = {&params.a,  &params.b,  &params.m,      &params.n1,
                       &params.n2, &params.n3, &params.radius, &params.scale};
    for (int k = 0; k < 1000; ++k) {
        for (float* field : fields)
            *field = std::ldexp(std::uniform_real_distribution<float>(-1, 1)(random),
                                int(random() % 80) - 40);
        std::istringstream text(mesh::parameter_text(params));
        std::string word;
        for (float* field : fields) {
            text >> word;
            ASSERT_EQ(std::strtof(word.c_str() + word.find('=') + 1, nullptr), *field) << word;
            if (field == &params.radius)
                text >> word >> word; // slices and bands
        }
    }
}

TEST(MeshWriters, AFullDeviceIsReportedAndFormatsFollowExtensions)
{
    const Sample sample;
    for (const Format format : all_formats) {
        SCOPED_TRACE(mesh::extension_of(format));
        std::FILE* full = std::fopen("/dev/full", "wb");
        ASSERT_NE(full, nullptr);
        EXPECT_EQ(mesh::write_mesh(format, full, sample.closed.view(), sample.params), ENOSPC);
        std::fclose(full);
        const std::string path = std::string("out/x.") + mesh::extension_of(format);
        EXPECT_EQ(mesh::format_for_path(path), format);
    }
    EXPECT_EQ(mesh::format_for_path("X.3MF"), Format::threemf);
    for (const char* path : {"x", ".stl", "x.stl/y", "x.stp", "x."})
        EXPECT_EQ(mesh::format_for_path(path), std::nullopt) << path;
}
