// Off-screen pictures and a contact sheet the way the command line makes
// them, each from a fresh context to the PNG file in memory: a 999 x 1000
// shape at 640 x 480, as a wire strip and as a lit surface (its own grid
// standing in for the closed mesh), and a gallery of 50 shapes at the
// editor's default resolution. Needs no display. The time per run is split
// into its phases (seconds: open, build, draw, png).
#include "app/Tparams.h"
#include "offscreen/png.h"
#include "offscreen/renderer.h"
#include "shape/Tsupershape.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using Nsupershape::Tsupershape;

namespace {

using Clock = std::chrono::steady_clock;

struct Phases {
    double open = 0, build = 0, draw = 0, png = 0;
    Clock::time_point start = Clock::now();

    // Adds the time since the last mark to `phase`.
    void mark(double& phase)
    {
        const auto now = Clock::now();
        phase += std::chrono::duration<double>(now - start).count();
        start = now;
    }

    void report(benchmark::State& state) const
    {
        for (const auto& [name, seconds] : {std::pair{"open", open}, {"build", build}, {"draw", draw}, {"png", png}})
            state.counters[name] = benchmark::Counter(seconds, benchmark::Counter::kAvgIterations);
    }
};

// What Reset builds for the snippet's values: reload, then scale.
std::unique_ptr<Tsupershape> build_shape(const Tparams& params)
{
    auto shape = std::make_unique<Tsupershape>();
    shape->reload(params.radius, params.slices, params.bands, params.a, params.b, params.m, params.n1, params.n2,
                  params.n3);
    shape->scale(params.scale, params.scale, params.scale);
    return shape;
}

offscreen::Model model_of(const Tsupershape& shape, const Tparams& params, bool solid)
{
    offscreen::Model model;
    if (solid)
        model.solid = {&shape.vertices[0].x, shape.vertex_count, &shape.triangles[0].i0, shape.triangle_count};
    else
        model.shape = &shape;
    std::copy(params.color, params.color + 4, model.color);
    return model;
}

void fail(benchmark::State& state, const offscreen::Status& status)
{
    state.SkipWithError(status.error.c_str());
}

void picture(benchmark::State& state)
{
    Tparams params;
    set_start_values(params);
    params.slices = 999;
    params.bands = 999;
    const bool solid = state.range(0) != 0;
    Phases phases;
    for (auto _ : state) {
        phases.start = Clock::now();
        offscreen::Renderer renderer;
        if (auto opened = renderer.open(); !opened.ok())
            return fail(state, opened);
        phases.mark(phases.open);
        const auto shape = build_shape(params);
        phases.mark(phases.build);
        offscreen::Image image;
        if (auto drawn = renderer.picture(model_of(*shape, params, solid), {}, image); !drawn.ok())
            return fail(state, drawn);
        phases.mark(phases.draw);
        benchmark::DoNotOptimize(offscreen::encode_png(image));
        phases.mark(phases.png);
    }
    phases.report(state);
}

void gallery(benchmark::State& state)
{
    constexpr int entries = 50;
    Phases phases;
    for (auto _ : state) {
        phases.start = Clock::now();
        offscreen::Renderer renderer;
        if (auto opened = renderer.open(); !opened.ok())
            return fail(state, opened);
        phases.mark(phases.open);
        std::vector<std::unique_ptr<Tsupershape>> shapes;
        std::vector<offscreen::Gallery_entry> sheet_entries;
        for (int i = 0; i < entries; ++i) {
            Tparams params;
            set_start_values(params);
            params.m = static_cast<float>(i % 9);
            params.color[1] = static_cast<std::uint8_t>(5 * i);
            shapes.push_back(build_shape(params));
            const std::string name = "shape_" + std::to_string(i) + ".bas";
            sheet_entries.push_back({name, "", model_of(*shapes.back(), params, false)});
        }
        phases.mark(phases.build);
        offscreen::Image sheet;
        const auto source = [&](int index, offscreen::Gallery_entry& entry) {
            entry = sheet_entries[static_cast<std::size_t>(index)];
            return offscreen::Status{};
        };
        if (auto drawn = renderer.gallery(entries, source, {}, sheet); !drawn.ok())
            return fail(state, drawn);
        phases.mark(phases.draw);
        benchmark::DoNotOptimize(offscreen::encode_png(sheet));
        phases.mark(phases.png);
    }
    phases.report(state);
}

BENCHMARK(picture)->ArgName("solid")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(gallery)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    {
        offscreen::Renderer probe;
        if (auto opened = probe.open(); !opened.ok()) {
            std::fprintf(stderr, "%s\n", opened.error.c_str());
            return 1;
        }
        std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
