// One real frame of the editor on a real window (run under Xvfb): the
// editor's scene (clear, transform, axes, the wire strip, the text overlay),
// automatic editing and the buffer swap, with the time per frame split into
// its phases.
#include "app/explorebar.h"
#include "app/scene.h"
#include "app/shapebar.h"
#include "app/solid_view.h"
#include "font/Trasterfont.h"
#include "panel/tweak_bar.h"
#include "params/Tparams.h"
#include "screen/Tscreen.h"
#include "screen/glfw_layer.h"
#include "shape/Tsupershape.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void frame(benchmark::State& state, Tscreen& screen, const Trasterfont& font)
{
    Tparams params;
    set_start_values(params);
    params.slices = static_cast<int>(state.range(0));
    params.bands = static_cast<int>(state.range(1));
    // Built by the editor's own Reset.
    params.do_reset = request_pending;
    Shown_shape built;
    carry_out_requests(params, built);
    Nsupershape::Tsupershape& shape = *built.shape;

    const Rotation_angles angles{0, 30, 0};
    const float fps = 60.0f;
    double drawing = 0, evaluation = 0, scaling = 0, swapping = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        scene::draw_frame(editor_frame(params, angles), shape,
                          [&] { draw_text_overlay(screen, font, fps, params.rot_str); });
        glFinish();
        drawing += seconds_since(start);

        start = Clock::now();
        shape.reset_shape(params.radius, params.slices, params.bands, params.a, params.b, params.m, params.n1,
                          params.n2, params.n3);
        evaluation += seconds_since(start);
        start = Clock::now();
        shape.scale(params.scale, params.scale, params.scale);
        scaling += seconds_since(start);

        start = Clock::now();
        screen::swap_buffers();
        glFinish();
        swapping += seconds_since(start);
    }
    // Seconds per frame; the report prints them with SI prefixes (m, u).
    state.counters["draw"] = benchmark::Counter(drawing, benchmark::Counter::kAvgIterations);
    state.counters["eval"] = benchmark::Counter(evaluation, benchmark::Counter::kAvgIterations);
    state.counters["scale"] = benchmark::Counter(scaling, benchmark::Counter::kAvgIterations);
    state.counters["swap"] = benchmark::Counter(swapping, benchmark::Counter::kAvgIterations);
}

// The solid view's frame when the grid has just changed: the closed mesh and
// its normals built (`build`), then the lit surface drawn (`draw`).
void solid_frame(benchmark::State& state, Tscreen& screen, const Trasterfont& font)
{
    Tparams params;
    set_start_values(params);
    params.slices = static_cast<int>(state.range(0));
    params.bands = static_cast<int>(state.range(1));
    params.do_reset = request_pending;
    Shown_shape shown;
    carry_out_requests(params, shown);
    const Rotation_angles angles{0, 30, 0};
    double building = 0, drawing = 0;
    for (auto _ : state) {
        Solid_view view;
        auto start = Clock::now();
        std::string note;
        const scene::Surface* surface = view.surface(shown, note);
        building += seconds_since(start);
        if (!surface) {
            state.SkipWithError(note.c_str());
            return;
        }
        start = Clock::now();
        scene::draw_frame(editor_frame(params, angles), *surface,
                          [&] { draw_text_overlay(screen, font, 60.0f, params.rot_str); });
        glFinish();
        drawing += seconds_since(start);
        screen::swap_buffers();
    }
    state.counters["build"] = benchmark::Counter(building, benchmark::Counter::kAvgIterations);
    state.counters["draw"] = benchmark::Counter(drawing, benchmark::Counter::kAvgIterations);
}

// The editor's frame with its panel at rest (`drag` 0) and while a left drag
// in the free area turns the view (1): the turn must only redraw.
void panel_frame(benchmark::State& state, Tscreen& screen, const Trasterfont& font)
{
    Tparams params;
    set_start_values(params);
    params.slices = 999;
    params.bands = 1000;
    params.do_reset = request_pending;
    Shown_shape shown;
    carry_out_requests(params, shown);
    Exploring exploring = start_exploring(7, {});
    Exporting exporting = start_exporting(params);
    start_panel(params, exploring, exporting);
    float zoom = 1.0f;
    TwSetViewControls({&params.xrot, &params.yrot, &params.tx, &params.ty, &params.auto_rotate, &zoom, 1.0f, {}});
    Rotation_angles angles;
    const bool drag = state.range(0) != 0;
    int x = 400;
    TwMouseMotion(x, 240);
    if (drag)
        TwEventMouseButtonGLFW(0, 1);
    for (auto _ : state) {
        if (drag)
            TwMouseMotion(x = x < 600 ? x + 1 : 400, 240);
        update_rotation(angles, params, 0.016f, 0.0f);
        scene::draw_frame(editor_frame(params, angles, zoom), *shown.shape,
                          [&] { draw_text_overlay(screen, font, 60.0f, params.rot_str); });
        carry_out_requests(params, shown);
        TwDraw();
        screen::swap_buffers();
        glFinish();
    }
    if (drag)
        TwEventMouseButtonGLFW(0, 0);
    // Degrees the view turned, to show that the drag was taken.
    state.counters["yrot"] = params.yrot;
    TwTerminate();
}

} // namespace

int main(int argc, char** argv)
{
    Tscreen screen(640, 480, 0);
    screen.init_gl_screen();
    screen::set_window_size_callback(windowsizecb);
    const Trasterfont font;
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    benchmark::RegisterBenchmark("frame", [&](benchmark::State& state) { frame(state, screen, font); })
        ->Args({8, 8})
        ->Args({100, 100})
        ->Args({999, 999})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("solid_frame", [&](benchmark::State& state) { solid_frame(state, screen, font); })
        ->Args({100, 100})
        ->Args({999, 999})
        ->Args({999, 1000})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("panel_frame", [&](benchmark::State& state) { panel_frame(state, screen, font); })
        ->ArgName("drag")
        ->DenseRange(0, 1)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
