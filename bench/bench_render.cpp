// The wire strip sent as one indexed draw against corner-by-corner immediate
// calls, on a real context (run under Xvfb). Reports the ratio per grid.
// Arguments: slices, bands, single colour, and a 1 x 1 viewport to take the
// software rasteriser's share out and see the cost of sending the strip.
#include "bench/seconds_reporter.h"
#include "shape/Tsupershape.h"
#include "tests/support/reference_mesh.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

using Nsupershape::Tsupershape;

namespace {

void prepare_frame(bool tiny_viewport)
{
    if (tiny_viewport)
        glViewport(0, 0, 1, 1);
    else
        glViewport(0, 0, 640, 480);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1.3, 1.3, -1.3, 1.3, -2, 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

template <class Draw>
void measure(benchmark::State& state, Draw draw)
{
    const Tsupershape shape(1.0f, int(state.range(0)), int(state.range(1)), 1, 1, 6, 0.6f, 1.2f, 1.7f);
    for (auto _ : state) {
        prepare_frame(state.range(3) != 0);
        draw(shape, state.range(2) == 0);
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * 3 * (shape.triangle_count - 5));
}

void indexed_draw(benchmark::State& state)
{
    measure(state, [](const Tsupershape& shape, bool colours) { shape.render(colours ? 0 : 1); });
}

void corner_by_corner(benchmark::State& state)
{
    measure(state, [](const Tsupershape& shape, bool colours) { test_support::emit_strip_by_corner(shape, colours); });
}

void arguments(benchmark::internal::Benchmark* benchmark)
{
    for (int tiny_viewport : {0, 1})
        for (int single_color : {1, 0}) {
            benchmark->Args({100, 100, single_color, tiny_viewport});
            benchmark->Args({999, 999, single_color, tiny_viewport});
        }
    benchmark->Unit(benchmark::kMillisecond);
}

BENCHMARK(indexed_draw)->Apply(arguments);
BENCHMARK(corner_by_corner)->Apply(arguments);

} // namespace

int main(int argc, char** argv)
{
    if (!glfwInit())
        return 1;
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(640, 480, "bench", nullptr, nullptr);
    if (!window)
        return 1;
    glfwMakeContextCurrent(window);
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    benchmark::Initialize(&argc, argv);
    Seconds_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::string indexed = "indexed_draw";
    for (const auto& [name, seconds] : reporter.seconds) {
        if (name.compare(0, indexed.size(), indexed) != 0)
            continue;
        const std::string args = name.substr(indexed.size());
        const auto slow = reporter.seconds.find("corner_by_corner" + args);
        if (slow != reporter.seconds.end())
            std::printf("corner-by-corner / indexed at %s: %.2fx\n", args.c_str(), slow->second / seconds);
    }
    benchmark::Shutdown();
    glfwDestroyWindow(window);
    glfwTerminate();
}
