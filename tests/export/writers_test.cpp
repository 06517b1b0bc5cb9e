// Every format read back by another library: the triangles, the colour, the name and the parameters, the normals
// where the format has them; 3MF at extreme sizes; a full disk; the documents that name every format.
#include "export/formats.h"
#include "export/metadata.h"
#include "mesh/closed_mesh.h"
#include "params/Tparams.h"
#include "tests/support/format_expectations.h"
#include "tests/support/outside_readers.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>

using file_export::Format;
using mesh::Tvector3;

namespace {

using test_support::Read_back;

// What `write` says of writing `file` to `path`; the writers flush and check their own writes.
runtime::Status written(const std::string& path, file_export::Mesh_writer write, const file_export::Export_mesh& file)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    const runtime::Status status = write(out, file);
    std::fclose(out);
    return status;
}

// Every format's file, closed and raw, written once and read back by another library, for a two-set shape whose floats
// need all their digits or an exponent and whose rot_str holds every printable byte.
class Written : public ::testing::Test {
protected:
    struct File {
        const file_export::Format_row& row;
        const test_support::Format_expectation& expected;
        bool closed;
        mesh::Mesh_view shape;
        std::string trace;
        Read_back found;
    };

    static void SetUpTestSuite()
    {
        set_start_values(params);
        params.n3 = 1.7f, params.radius = 1.25f, params.scale = 0.7f, params.slices = 9, params.bands = 11;
        params.color[0] = 200, params.color[1] = 100, params.color[2] = 50, params.color[3] = 128;
        params.a = std::nextafter(1.0f, 2.0f), params.m = 2e-5f, params.sets_linked = 0;
        params.rot_str = "\t\xe9";
        for (char c = ' '; c <= '~'; ++c)
            params.rot_str += c;
        ASSERT_TRUE(mesh::build_closed_mesh(params, closed).ok());
        ASSERT_TRUE(mesh::build_raw_grid(params, raw).ok());
        for (const file_export::Format_row& row : file_export::formats)
            for (const bool is_closed : {true, false}) {
                if (!row.holds_mesh)
                    continue;
                const std::string path = folder / (std::string("mesh.") + row.extension);
                const mesh::Mesh_view shape = is_closed ? closed.view() : raw.view();
                const file_export::Export_mesh file{shape, "star & <x>", params, "mesh.mtl"};
                ASSERT_TRUE(written(path, row.write, file).ok()) << row.title;
                if (row.companion.write) {
                    ASSERT_TRUE(written(folder / "mesh." + row.companion.extension, row.companion.write, file).ok());
                }
                files.push_back({row, test_support::expected_of(row.format), is_closed, shape,
                                 row.title + std::string(is_closed ? " closed" : " raw"),
                                 test_support::read_mesh_file(row.format, path)});
            }
    }

    static inline Tparams params;
    static inline mesh::Triangle_mesh closed, raw;
    static inline const test_support::Scratch_folder folder{"writers_test"};
    static inline std::vector<File> files;
};

} // namespace

TEST_F(Written, TheParameterLineHoldsEveryDigitAndEscapesTheText)
{
    EXPECT_EQ(file_export::parameter_text(params),
              R"(a=1.0000001 b=1 m=2e-05 n1=0.3 n2=1 n3=1.7 a2=1 b2=1 m2=4 n1_2=0.3 n2_2=1 n3_2=1 radius=1.25 )"
              R"(slices=9 bands=11 scale=0.7 )"
              R"(color=200,100,50,128 rot_str="\x09\xe9 !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTU)"
              R"(VWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~")");
}

TEST_F(Written, OutsideReadersFindEveryCorner)
{
    for (const File& file : files)
        EXPECT_EQ(test_support::changed_corner(file.found, file.shape, file.row.format), "") << file.trace;
}

TEST_F(Written, OutsideReadersFindTheParametersAndTheColourWhereTheFormatHasRoom)
{
    for (const File& file : files) {
        EXPECT_EQ(file.found.parameters, file.expected.carried ? file_export::parameter_text(params) : "")
            << file.trace;
        EXPECT_EQ(file.found.colour,
                  (file.expected.carried ? std::array{200, 100, 50, 128} : std::array{-1, -1, -1, -1}))
            << file.trace;
    }
}

// OBJ's material: one word, so that every reader finds it, and named after the shape, so that importers do not number
// the materials of many shapes. A slicer takes a 3MF "model" for a solid to print; the raw grid is an open surface.
TEST_F(Written, OutsideReadersFindTheObjectsNameAndType)
{
    for (const File& file : files) {
        EXPECT_EQ(file.found.name, file.expected.name) << file.trace;
        EXPECT_EQ(file.found.object_type, file.closed ? file.expected.closed_type : file.expected.raw_type)
            << file.trace;
        EXPECT_EQ(file.found.millimetres_per_unit, 1) << file.trace << ": 3MF in millimetres, as slicers expect";
    }
}

// Normals of unit length (OBJ's four decimals as Blender writes them), one for each vertex as the reader gives them,
// each corner's on the outer side of its face: smooth in glb and OBJ, STL's its facets'.
TEST_F(Written, NormalsAreUnitAndFaceOutwards)
{
    for (const File& file : files) {
        const Read_back& found = file.found;
        EXPECT_EQ(found.normals.size(), file.expected.normals ? found.positions.size() : 0) << file.trace;
        for (std::size_t k = 0; file.closed && k < found.normals.size(); ++k) {
            const Tvector3& n = found.normals[k];
            ASSERT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1, 1e-3f) << file.trace << " vertex " << k;
        }
        if (!file.closed || found.normals.empty())
            continue;
        for (std::size_t t = 0; t < found.triangles.size(); ++t) {
            const auto [a, b, c] = found.triangles[t];
            const auto face = Nsupershape::area_normal(found.positions.at(std::size_t(a)),
                                                       found.positions.at(std::size_t(b)),
                                                       found.positions.at(std::size_t(c)));
            for (const std::int32_t k : {a, b, c}) {
                const Tvector3& n = found.normals.at(std::size_t(k));
                ASSERT_GT(n.x * face.x + n.y * face.y + n.z * face.z, 0) << file.trace << " triangle " << t;
            }
        }
    }
}

// Readers take an STL file that starts with "solid" for text.
TEST_F(Written, StlsHeaderDoesNotStartWithSolid)
{
    EXPECT_NE(test_support::file_text(folder / "mesh.stl").rfind("solid", 0), 0u);
}

// Blender keeps 63 bytes of a material's name: a longer one is cut there, between characters.
TEST_F(Written, ALongMaterialNameIsCutBetweenCharacters)
{
    const std::string material = folder / "long.mtl", long_name = std::string(62, 'a') + "\xc3\xa9";
    ASSERT_TRUE(written(material, file_export::write_obj_material, {closed.view(), long_name, params, ""}).ok());
    EXPECT_NE(test_support::file_text(material).find("\nnewmtl " + long_name.substr(0, 62) + "\n"), std::string::npos);
}

TEST_F(Written, AFullDiskIsSaidInEveryFormat)
{
    for (const file_export::Format_row& row : file_export::formats)
        EXPECT_EQ(written("/dev/full", row.write, {closed.view(), "x", params, ""}).message, "No space left on device")
            << row.title;
}

// Every extension names its format in shapetool's test, which exports to each.
TEST(Formats, APathWithoutAKnownExtensionNamesNoFormat)
{
    for (const char* path : {"x", ".stl", "x.stl/y", "x.stp", "x."})
        EXPECT_EQ(file_export::mesh_format_for_path(path), nullptr) << path;
}

// 3MF holds six decimals: a tiny shape goes in microns and a huge one in metres, keeping every corner apart and
// every triangle's area, or is refused; never written worse than it is.
TEST(MeshWriters, ThreeMfKeepsTheMeshAtAnySizeOrRefusesIt)
{
    Tparams params;
    set_start_values(params);
    params.slices = params.bands = 200;
    const test_support::Scratch_folder folder("writers_test");
    for (const float scale : {1e-3f, 1e-6f, 1e5f, 1e12f}) {
        params.scale = scale;
        mesh::Triangle_mesh closed;
        ASSERT_TRUE(mesh::build_closed_mesh(params, closed).ok());
        const std::string path = folder / "extreme.3mf";
        const runtime::Status status = written(path, file_export::write_3mf, {closed.view(), "x", params, ""});
        if (status.kind == runtime::Status::Kind::refused)
            continue;
        ASSERT_TRUE(status.ok()) << status.message;
        const Read_back found = test_support::read_mesh_file(Format::threemf, path);
        ASSERT_EQ(found.triangles.size(), closed.triangles.size());
        for (const mesh::Ttriangle& t : found.triangles) {
            const Tvector3 &p = found.positions[t.i0], &q = found.positions[t.i1], &r = found.positions[t.i2];
            const double ux = q.x - p.x, uy = q.y - p.y, uz = q.z - p.z, vx = r.x - p.x, vy = r.y - p.y, vz = r.z - p.z;
            ASSERT_NE(std::fabs(uy * vz - uz * vy) + std::fabs(uz * vx - ux * vz) + std::fabs(ux * vy - uy * vx), 0)
                << scale;
        }
        const double pole = found.positions[0].y * found.millimetres_per_unit;
        EXPECT_NEAR(pole / closed.positions[0].y, 1, 1e-3) << scale << " kept its size";
    }
}

// What the table cannot write itself names every mesh format by its title: the README (with a row of its table for
// each), the AppStream text and the package's description.
TEST(Formats, TheReadmeTheAppStreamTextAndThePackageNameEveryFormat)
{
    const std::string titles = file_export::listed(&file_export::Format_row::title, "and");
    for (const std::string document : {"README.md", "package/supershape.metainfo.xml.in", "package/CMakeLists.txt"}) {
        std::ifstream file(SOURCE_DIR "/" + document);
        std::string text, word;
        while (file >> word)
            text += word + " ";
        EXPECT_NE(text.find(titles), std::string::npos) << document << " does not name " << titles;
        for (const file_export::Format_row& row : file_export::formats)
            if (document == "README.md" && row.holds_mesh) {
                EXPECT_NE(text.find(std::string(" | ") + row.title + " | "), std::string::npos) << row.title;
            }
    }
}
