// The closed mesh, its shell and the file export at 999 x 1000 grid vertices
// (about two million triangles), each format against Assimp's exporter on the same mesh
// in the same run, and 3MF against lib3mf writing the editor's raw grid
// itself. Files go to /tmp and are closed inside the timing; no fsync.
#include "export/formats.h"
#include "mesh/closed_mesh.h"
#include "mesh/drain.h"
#include "mesh/placement.h"
#include "mesh/shell.h"
#include "mesh/statistics.h"
#include "params/Tparams.h"
#include "shape/grid.h"

#include <Model/COM/NMR_DLLInterfaces.h>
#include <assimp/Exporter.hpp>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct Fixture {
    Tparams params;
    mesh::Triangle_mesh raw, closed;
    aiScene scene;

    Fixture()
    {
        set_start_values(params);
        params.slices = 999;
        params.bands = 999;
        if (!mesh::build_closed_mesh(params, closed).ok() || !mesh::build_raw_grid(params, raw).ok())
            std::abort();
        fill_scene();
    }

    // The closed mesh as Assimp holds a scene: one node, one mesh, one material.
    void fill_scene()
    {
        auto* shape_mesh = new aiMesh;
        shape_mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
        shape_mesh->mNumVertices = unsigned(closed.positions.size());
        shape_mesh->mVertices = new aiVector3D[closed.positions.size()];
        for (std::size_t k = 0; k < closed.positions.size(); ++k)
            shape_mesh->mVertices[k] = {closed.positions[k].x, closed.positions[k].y, closed.positions[k].z};
        shape_mesh->mNumFaces = unsigned(closed.triangles.size());
        shape_mesh->mFaces = new aiFace[closed.triangles.size()];
        for (std::size_t t = 0; t < closed.triangles.size(); ++t) {
            const mesh::Ttriangle& triangle = closed.triangles[t];
            shape_mesh->mFaces[t].mNumIndices = 3;
            shape_mesh->mFaces[t].mIndices =
                new unsigned[3]{unsigned(triangle.i0), unsigned(triangle.i1), unsigned(triangle.i2)};
        }
        scene.mNumMeshes = 1;
        scene.mMeshes = new aiMesh*[1];
        scene.mMeshes[0] = shape_mesh;
        scene.mNumMaterials = 1;
        scene.mMaterials = new aiMaterial*[1];
        scene.mMaterials[0] = new aiMaterial;
        scene.mRootNode = new aiNode;
        scene.mRootNode->mNumMeshes = 1;
        scene.mRootNode->mMeshes = new unsigned[1]{0};
    }
};

Fixture& fixture()
{
    static Fixture built;
    return built;
}

std::string scratch(const char* extension)
{
    return std::string("/tmp/bench_mesh.") + extension;
}

// The editor's grid and triangle list as Reset builds them.
void editor_shape(benchmark::State& state)
{
    for (auto _ : state) {
        mesh::Triangle_mesh grid;
        if (!mesh::build_raw_grid(fixture().params, grid).ok())
            state.SkipWithError("refused");
        benchmark::DoNotOptimize(grid.triangles.data());
    }
}

// The closed mesh over a grid already built.
void closed_mesh(benchmark::State& state)
{
    const Tparams& params = fixture().params;
    const mesh::Triangle_mesh& closed = fixture().closed;
    for (auto _ : state) {
        std::vector<mesh::Tvector3> positions(closed.positions.size());
        std::vector<mesh::Ttriangle> triangles(closed.triangles.size());
        if (!mesh::fill_closed_mesh(fixture().raw.positions.data(), params.slices, params.bands, closed.positions[0],
                                    positions.data(), positions.size(), triangles.data(), triangles.size())
                 .ok())
            state.SkipWithError("refused");
        benchmark::DoNotOptimize(triangles.data());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(closed.triangles.size()));
}

void statistics(benchmark::State& state)
{
    for (auto _ : state) {
        const mesh::Mesh_statistics stats = mesh::measure(fixture().closed.view());
        if (!stats.closed)
            state.SkipWithError("not closed");
        benchmark::DoNotOptimize(stats.integrals.volume);
    }
}

void export_ours(benchmark::State& state, file_export::Format format, bool raw)
{
    const file_export::Format_row& row = file_export::row_of(format);
    const std::string path = scratch(row.extension);
    const file_export::Export_mesh file{raw ? fixture().raw.view() : fixture().closed.view(), "bench", fixture().params,
                                        "bench.mtl"};
    for (auto _ : state) {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (!out || !row.write(out, file).ok() || std::fclose(out) != 0)
            state.SkipWithError("write failed");
    }
    std::remove(path.c_str());
}

void export_assimp(benchmark::State& state, const char* format_id, const char* extension)
{
    const std::string path = scratch(extension);
    Assimp::Exporter exporter;
    for (auto _ : state)
        if (exporter.Export(&fixture().scene, format_id, path) != aiReturn_SUCCESS)
            state.SkipWithError(exporter.GetErrorString());
    std::remove(path.c_str());
    // Assimp's OBJ exporter writes its materials beside.
    std::remove(scratch("mtl").c_str());
}

// lib3mf's own time for the editor's raw grid, written to a file by lib3mf.
void export_lib3mf_raw(benchmark::State& state)
{
    using namespace NMR;
    const std::string path = scratch("3mf");
    const mesh::Mesh_view raw = fixture().raw.view();
    for (auto _ : state) {
        PLib3MFModel *model = nullptr, *object = nullptr, *item = nullptr, *writer = nullptr;
        lib3mf_createmodel(&model);
        lib3mf_model_addmeshobject(model, &object);
        std::unique_ptr<MODELMESHVERTEX[]> vertices(new MODELMESHVERTEX[raw.vertex_count]);
        std::unique_ptr<MODELMESHTRIANGLE[]> triangles(new MODELMESHTRIANGLE[raw.triangle_count]);
        std::memcpy(vertices.get(), raw.positions, raw.vertex_count * sizeof(MODELMESHVERTEX));
        std::memcpy(triangles.get(), raw.triangles, raw.triangle_count * sizeof(MODELMESHTRIANGLE));
        lib3mf_meshobject_setgeometry(object, vertices.get(), DWORD(raw.vertex_count), triangles.get(),
                                      DWORD(raw.triangle_count));
        lib3mf_model_addbuilditem(model, object, nullptr, &item);
        lib3mf_model_querywriter(model, "3mf", &writer);
        if (lib3mf_writer_writetofileutf8(writer, path.c_str()) != LIB3MF_OK)
            state.SkipWithError("lib3mf failed");
        for (PLib3MFBase* held : {writer, item, object, model})
            lib3mf_release(held);
    }
    std::remove(path.c_str());
}

// The shell of `grid` x `grid` vertices of `params`, 40 mm across standing
// on Z, 1 mm thick, with a drain `drain` millimetres across (0 for none):
// the copy of the solid inside the timing, as export holds it.
void time_shell(benchmark::State& state, Tparams params, int grid, double drain)
{
    params.slices = params.bands = grid;
    mesh::Triangle_mesh solid;
    if (!mesh::build_closed_mesh(params, solid).ok() || !mesh::place(solid, {mesh::Up::z, 40, 0}, 1).ok())
        state.SkipWithError("refused");
    mesh::Triangle_mesh hollowed;
    mesh::Shell_report report;
    for (auto _ : state) {
        hollowed = solid;
        if (!mesh::hollow(hollowed, 1, 1, report).ok())
            state.SkipWithError("refused");
        mesh::Drain_report drained;
        if (drain > 0 && !mesh::drill_drain(hollowed, solid.triangles.size(), mesh::Up::z, drain, 1, drained).ok())
            state.SkipWithError("no drain");
    }
    state.counters["thinnest_wall_mm"] = report.thinnest_wall;
}

void shell(benchmark::State& state)
{
    time_shell(state, fixture().params, int(state.range(0)), 0);
}

// A ball's shell, without a drain and with a 3 mm one: what the drain adds.
void ball_shell(benchmark::State& state)
{
    Tparams ball = fixture().params;
    ball.m = ball.m2 = 0;
    time_shell(state, ball, int(state.range(0)), double(state.range(1)));
}

void timed_once(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
}

void timed(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
}

BENCHMARK(editor_shape)->Apply(timed);
BENCHMARK(closed_mesh)->Apply(timed);
BENCHMARK(statistics)->Apply(timed);
BENCHMARK(shell)->Arg(200)->Arg(999)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(ball_shell)->ArgsProduct({{200, 999}, {0, 3}})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK_CAPTURE(export_ours, stl, file_export::Format::stl, false)->Apply(timed);
BENCHMARK_CAPTURE(export_assimp, stl, "stlb", "stl")->Apply(timed_once);
BENCHMARK_CAPTURE(export_ours, glb, file_export::Format::glb, false)->Apply(timed);
BENCHMARK_CAPTURE(export_assimp, glb, "glb2", "glb")->Apply(timed_once);
BENCHMARK_CAPTURE(export_ours, ply, file_export::Format::ply, false)->Apply(timed);
BENCHMARK_CAPTURE(export_assimp, ply, "plyb", "ply")->Apply(timed_once);
BENCHMARK_CAPTURE(export_ours, obj, file_export::Format::obj, false)->Apply(timed);
BENCHMARK_CAPTURE(export_assimp, obj, "obj", "obj")->Apply(timed_once);
BENCHMARK_CAPTURE(export_ours, 3mf, file_export::Format::threemf, false)->Apply(timed_once);
BENCHMARK_CAPTURE(export_ours, 3mf_raw, file_export::Format::threemf, true)->Apply(timed_once);
BENCHMARK(export_lib3mf_raw)->Apply(timed_once);

} // namespace

BENCHMARK_MAIN();
