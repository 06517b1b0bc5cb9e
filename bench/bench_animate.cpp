// shapetool animate side by side with drawing its frames alone, with no
// display: a 60-frame 480 x 480 solid turntable of a 999 x 1000 shape as
// lossy WebP, as GIF and as MP4, against the same 60 pictures drawn on one context
// from one mesh and its normals (the context, the mesh and the pictures,
// without any encoding), and a 60-frame 200 x 200 morph between two
// examples. Prints each file's size and the ratio of the times.
#include "mesh/closed_mesh.h"
#include "offscreen/renderer.h"
#include "params/Tparams.h"
#include "tool/command_line.h"

#include <benchmark/benchmark.h>

#include "seconds_reporter.h"

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int frames = 60;
constexpr int side = 480;

const std::string outputs[] = {"/tmp/bench_animate.webp", "/tmp/bench_animate.gif", "/tmp/bench_morph.webp",
                               "/tmp/bench_animate.mp4"};

shapetool::Shape_inputs big_shape()
{
    shapetool::Shape_inputs inputs;
    set_start_values(inputs.flags.values);
    inputs.flags.values.slices = 999;
    inputs.flags.values.bands = 999;
    for (const char* field : {"slices", "bands"})
        inputs.flags.given.set(std::size_t(params::field_named(field) - params::saved_fields));
    inputs.quiet = true;
    return inputs;
}

void draw_alone(benchmark::State& state)
{
    Tparams params;
    set_start_values(params);
    params.slices = 999;
    params.bands = 999;
    for (auto _ : state) {
        offscreen::Renderer renderer;
        mesh::Triangle_mesh built;
        if (!renderer.open().ok() || !mesh::build_closed_mesh(params, built).ok())
            return state.SkipWithError("cannot draw or mesh");
        mesh::Lit_surface lit;
        mesh::light(built.view(), lit);
        const offscreen::Model model{built.view(), offscreen::Model::Style::solid, {255, 255, 64, 255}, &lit};
        const auto framing = scene::fit_to_view(built.positions.data(), built.positions.size(), side, side);
        offscreen::Image picture;
        for (int frame = 0; frame < frames; ++frame) {
            const offscreen::Picture_options drawn_as{side,  side,    360.0f * frame / frames,
                                                      false, framing, float(shapetool::default_tilt)};
            if (!renderer.picture(model, drawn_as, picture).ok())
                return state.SkipWithError("cannot draw");
        }
        benchmark::DoNotOptimize(picture.rgb.data());
    }
}

void animate(benchmark::State& state, shapetool::Animate_options options)
{
    std::ostringstream out, err;
    shapetool::Console console{out, err};
    for (auto _ : state)
        if (shapetool::animate(options, console) != shapetool::exit_success)
            return state.SkipWithError(err.str().c_str());
    state.counters["MB"] = double(fs::file_size(options.output)) / 1e6;
}

shapetool::Animate_options turntable(const std::string& output)
{
    shapetool::Animate_options options;
    options.inputs = big_shape();
    options.output = output;
    return options;
}

shapetool::Animate_options morph()
{
    shapetool::Animate_options options;
    options.inputs.files = {SOURCE_DIR "/examples/starfish.bas", SOURCE_DIR "/examples/cushion.bas"};
    options.inputs.quiet = true;
    options.width = options.height = 200;
    options.output = outputs[2];
    return options;
}

BENCHMARK(draw_alone)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(animate, webp, turntable(outputs[0]))->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(animate, gif, turntable(outputs[1]))->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(animate, mp4, turntable(outputs[3]))->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(animate, morph_200, morph())->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    offscreen::keep_freed_memory();
    benchmark::Initialize(&argc, argv);
    Seconds_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto drawn = reporter.seconds.find("draw_alone/iterations:1/real_time");
    for (const char* name : {"webp", "gif", "mp4"}) {
        const auto made = reporter.seconds.find(std::string("animate/") + name + "/iterations:1/real_time");
        if (drawn != reporter.seconds.end() && made != reporter.seconds.end())
            std::printf("%s turntable: %.2fx the time of drawing its frames alone\n", name,
                        made->second / drawn->second);
    }
    for (const std::string& output : outputs)
        fs::remove(output);
    benchmark::Shutdown();
}
