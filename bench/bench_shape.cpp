// Shape evaluation against the vertex-by-vertex formula it must reproduce,
// plus the per-frame edits. Checks bit-identity first, then reports the
// speed-up of set_shape over the literal evaluation for each grid.
#include "bench/seconds_reporter.h"
#include "explore/random.h"
#include "shape/Tsupershape.h"
#include "tests/support/reference_mesh.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>

using Nsupershape::Tsupershape;

namespace {

struct Grid {
    int slices, bands;
};
constexpr Grid grids[] = {{8, 8}, {100, 100}, {999, 999}};

Tsupershape make_shape(const benchmark::State& state)
{
    return Tsupershape(1.0f, int(state.range(0)), int(state.range(1)), 1, 1, 6, 0.6f, 1.2f, 1.7f);
}

void literal_evaluation(benchmark::State& state)
{
    const Tsupershape shape = make_shape(state);
    for (auto _ : state) {
        auto grid = test_support::literal_shape(shape);
        benchmark::DoNotOptimize(grid.positions.data());
    }
    state.SetItemsProcessed(state.iterations() * shape.vertex_count);
}

void set_shape(benchmark::State& state)
{
    Tsupershape shape = make_shape(state);
    for (auto _ : state) {
        shape.set_shape();
        benchmark::DoNotOptimize(shape.vertices.get());
    }
    state.SetItemsProcessed(state.iterations() * shape.vertex_count);
}

// The same with a second set for the rows (the starfish's), which costs
// only the rows' radii.
void set_shape_two_sets(benchmark::State& state)
{
    Tsupershape shape;
    shape.reload2(1.0f, int(state.range(0)), int(state.range(1)), 1, 1, 6, 0.6f, 1.2f, 1.7f, 1, 1, 1, 0.3f, 0.5f, 0.5f);
    for (auto _ : state) {
        shape.set_shape();
        benchmark::DoNotOptimize(shape.vertices.get());
    }
    state.SetItemsProcessed(state.iterations() * shape.vertex_count);
}

// The same twisted a quarter turn, and as a ring: each within 1.2 times
// set_shape's time.
void set_shape_twisted(benchmark::State& state)
{
    Tsupershape shape = make_shape(state);
    shape.twist = 90;
    for (auto _ : state) {
        shape.set_shape();
        benchmark::DoNotOptimize(shape.vertices.get());
    }
    state.SetItemsProcessed(state.iterations() * shape.vertex_count);
}

void set_shape_ring(benchmark::State& state)
{
    Tsupershape shape = make_shape(state);
    shape.torus = 2;
    for (auto _ : state) {
        shape.set_shape();
        benchmark::DoNotOptimize(shape.vertices.get());
    }
    state.SetItemsProcessed(state.iterations() * shape.vertex_count);
}

// The editor's Reset at a grid, and a random draw at that grid, which
// evaluates the grid (again for each retry) to check it.
void reset(benchmark::State& state)
{
    for (auto _ : state) {
        auto shape = std::make_unique<Tsupershape>();
        shape->reload(1.0f, int(state.range(0)), int(state.range(1)), 1, 1, 6, 0.6f, 1.2f, 1.7f);
        shape->scale(1.0f, 1.0f, 1.0f);
        shape->set_color(1.0f, 1.0f, 1.0f, 1.0f);
        benchmark::DoNotOptimize(shape->vertices.get());
    }
}

void random_draw(benchmark::State& state)
{
    Tparams start;
    set_start_values(start);
    start.slices = int(state.range(0));
    start.bands = int(state.range(1));
    std::uint64_t draw = 0;
    for (auto _ : state) {
        Tparams drawn;
        benchmark::DoNotOptimize(explore::random_shape(7, ++draw, start, {}, drawn).ok());
    }
}

void scale(benchmark::State& state)
{
    Tsupershape shape = make_shape(state);
    for (auto _ : state) {
        shape.scale(1.0f, 1.0f, 1.0f);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * shape.vertex_count);
}

void set_color(benchmark::State& state)
{
    Tsupershape shape = make_shape(state);
    for (auto _ : state) {
        shape.set_color(1.0f, 1.0f, 1.0f, 1.0f);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * shape.vertex_count);
}

void grid_arguments(benchmark::internal::Benchmark* benchmark)
{
    for (const Grid& grid : grids)
        benchmark->Args({grid.slices, grid.bands});
    benchmark->Unit(benchmark::kMillisecond);
}

BENCHMARK(literal_evaluation)->Apply(grid_arguments);
BENCHMARK(set_shape)->Apply(grid_arguments);
BENCHMARK(set_shape_two_sets)->Apply(grid_arguments);
BENCHMARK(set_shape_twisted)->Apply(grid_arguments);
BENCHMARK(set_shape_ring)->Apply(grid_arguments);
BENCHMARK(reset)->Apply(grid_arguments);
BENCHMARK(random_draw)->Apply(grid_arguments);
BENCHMARK(scale)->Apply(grid_arguments);
BENCHMARK(set_color)->Apply(grid_arguments);

bool bit_identical(const Grid& grid, float torus, float twist)
{
    Tsupershape shape(1.0f, grid.slices, grid.bands, 1, 1, 6, 0.6f, 1.2f, 1.7f);
    shape.twist = twist;
    shape.set_torus(torus);
    const auto literal = test_support::literal_shape(shape);
    const std::size_t bytes = literal.positions.size() * sizeof(Nsupershape::Tvector3);
    return literal.positions.size() == std::size_t(shape.vertex_count) &&
           std::memcmp(literal.positions.data(), shape.vertices.get(), bytes) == 0 &&
           std::memcmp(literal.normals.data(), shape.normals.get(), bytes) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    for (const Grid& grid : grids) {
        for (const auto& [torus, twist, what] :
             {std::tuple(0.0f, 0.0f, ""), {0.0f, 90.0f, " twisted"}, {2.0f, 0.0f, " as a ring"}}) {
            const bool same = bit_identical(grid, torus, twist);
            std::printf("bit-identical to the literal evaluation at %d x %d%s: %s\n", grid.slices, grid.bands + 1, what,
                        same ? "yes" : "NO");
            if (!same)
                return 1;
        }
    }
    benchmark::Initialize(&argc, argv);
    Seconds_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const Grid& grid : grids) {
        const std::string args = "/" + std::to_string(grid.slices) + "/" + std::to_string(grid.bands);
        const auto literal = reporter.seconds.find("literal_evaluation" + args);
        const auto fast = reporter.seconds.find("set_shape" + args);
        if (literal != reporter.seconds.end() && fast != reporter.seconds.end())
            std::printf("set_shape speed-up at %d x %d: %.1fx\n", grid.slices, grid.bands + 1,
                        literal->second / fast->second);
        for (const char* variant : {"set_shape_twisted", "set_shape_ring"}) {
            const auto other = reporter.seconds.find(variant + args);
            if (other != reporter.seconds.end() && fast != reporter.seconds.end())
                std::printf("%s against set_shape at %d x %d: %.2fx\n", variant, grid.slices, grid.bands + 1,
                            other->second / fast->second);
        }
    }
    benchmark::Shutdown();
}
