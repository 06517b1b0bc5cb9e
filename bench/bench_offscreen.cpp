// Off-screen pictures and a contact sheet the way the command line makes
// them, each from a fresh context to the PNG file in memory: a 999 x 1000
// shape at 640 x 480, as a wire strip and as a lit closed mesh, and a
// gallery of 50 shapes at the editor's default resolution. Needs no display.
// The time per run is split into its phases (seconds: open, build, draw,
// png).
#include "mesh/closed_mesh.h"
#include "offscreen/png.h"
#include "offscreen/renderer.h"
#include "params/Tparams.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

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

// The wire over the editor's grid, or the closed mesh, as Reset builds them.
std::unique_ptr<mesh::Triangle_mesh> build_mesh(const Tparams& params, bool solid)
{
    auto built = std::make_unique<mesh::Triangle_mesh>();
    const runtime::Status status = solid ? mesh::build_closed_mesh(params, *built)
                                         : mesh::build_raw_grid(params, *built);
    return status.ok() ? std::move(built) : nullptr;
}

offscreen::Model model_of(const mesh::Triangle_mesh& built, const Tparams& params, bool solid)
{
    offscreen::Model model;
    model.mesh = built.view();
    model.style = solid ? offscreen::Model::Style::solid : offscreen::Model::Style::wire;
    std::copy(params.color, params.color + 4, model.color);
    return model;
}

void fail(benchmark::State& state, const runtime::Status& status)
{
    state.SkipWithError(status.message.c_str());
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
        const auto built = build_mesh(params, solid);
        if (!built)
            return fail(state, runtime::refused("the shape cannot be meshed"));
        phases.mark(phases.build);
        offscreen::Image image;
        if (auto drawn = renderer.picture(model_of(*built, params, solid), {}, image); !drawn.ok())
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
        std::vector<std::unique_ptr<mesh::Triangle_mesh>> shapes;
        std::vector<offscreen::Gallery_entry> sheet_entries;
        for (int i = 0; i < entries; ++i) {
            Tparams params;
            set_start_values(params);
            params.m = static_cast<float>(i % 9);
            params.color[1] = static_cast<std::uint8_t>(5 * i);
            shapes.push_back(build_mesh(params, false));
            const std::string name = "shape_" + std::to_string(i) + ".bas";
            if (!shapes.back())
                return fail(state, runtime::refused(name + " cannot be meshed"));
            sheet_entries.push_back({name, "", model_of(*shapes.back(), params, false)});
        }
        phases.mark(phases.build);
        offscreen::Image sheet;
        const auto source = [&](int index, offscreen::Gallery_entry& entry) {
            entry = sheet_entries[static_cast<std::size_t>(index)];
            return runtime::Status{};
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
    offscreen::keep_freed_memory();
    {
        offscreen::Renderer probe;
        if (auto opened = probe.open(); !opened.ok()) {
            std::fprintf(stderr, "%s\n", opened.message.c_str());
            return 1;
        }
        std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
