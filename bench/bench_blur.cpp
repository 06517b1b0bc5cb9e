// One pass of the bloom's blur, as the bloom runs it: horizontal into the
// scratch buffer, vertical back, radius 2, on 64 x 64 pixels.
#include "screen/blur.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr std::uint32_t side = 64;
constexpr std::int32_t radius = 2;

void bloom_blur_pass(benchmark::State& state)
{
    std::vector<std::uint32_t> pixels(side * side), scratch(side * side);
    std::mt19937 generator(7);
    for (std::uint32_t& p : pixels)
        p = static_cast<std::uint32_t>(generator());
    for (auto _ : state) {
        blur_h(pixels.data(), scratch.data(), side, side, radius);
        blur_v(scratch.data(), pixels.data(), side, side, radius);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}

BENCHMARK(bloom_blur_pass);

} // namespace

BENCHMARK_MAIN();
