// The editor's Export of a 999 x 1000 shape (999 slices of 999 bands and
// their seam) as binary STL at 50 mm, beside
// shapetool export writing the same file from the snippet Export saved, both
// in the process and into /tmp; each Export saves a new snippet first, as
// after an edit. Prints the ratio of the times; the two files must be the
// same bytes. Then the same export at 40 mm on a 2 mm base, and within
// 200,000 triangles.
#include "app/exportbar.h"
#include "tool/command_line.h"

#include <benchmark/benchmark.h>

#include "seconds_reporter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path folder = "/tmp/bench_export";

Tparams big_shape()
{
    Tparams params;
    set_start_values(params);
    params.slices = 999;
    params.bands = 999;
    return params;
}

std::string contents(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void editor_export(benchmark::State& state)
{
    const Tparams params = big_shape();
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(folder);
        fs::create_directories(folder);
        Exporting exporting = start_exporting(params);
        state.ResumeTiming();
        const std::string said = export_mesh(exporting, params, (folder / "shape.bas").string());
        if (said.rfind("exported ", 0) != 0)
            return state.SkipWithError(said.c_str());
    }
}

void export_with(benchmark::State& state, const shapetool::Export_options& options)
{
    std::ostringstream out, err;
    shapetool::Console console{out, err};
    for (auto _ : state)
        if (shapetool::export_meshes(options, console) != shapetool::exit_success)
            return state.SkipWithError(err.str().c_str());
}

shapetool::Export_options export_options(const std::string& output, double fit)
{
    shapetool::Export_options options;
    options.inputs.files = {(folder / "shape.bas").string()};
    options.inputs.quiet = true;
    options.output = (folder / output).string();
    options.fit = fit;
    return options;
}

void shapetool_export(benchmark::State& state)
{
    export_with(state, export_options("shapetool.stl", 50));
}

void shapetool_export_on_a_base(benchmark::State& state)
{
    shapetool::Export_options options = export_options("based.stl", 40);
    options.base = 2;
    export_with(state, options);
}

// A printing service's budget, 200,000 of the two million triangles.
void shapetool_export_200000_triangles(benchmark::State& state)
{
    shapetool::Export_options options = export_options("coarse.stl", 40);
    options.triangles = 200000;
    export_with(state, options);
}

BENCHMARK(editor_export)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5);
BENCHMARK(shapetool_export)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5);
BENCHMARK(shapetool_export_on_a_base)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5);
BENCHMARK(shapetool_export_200000_triangles)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    Seconds_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto editor = reporter.seconds.find("editor_export/min_time:5.000/real_time");
    const auto tool = reporter.seconds.find("shapetool_export/min_time:5.000/real_time");
    if (editor != reporter.seconds.end() && tool != reporter.seconds.end())
        std::printf(
            "Export from the editor: %.2fx the time of shapetool export; the files %s\n", editor->second / tool->second,
            fs::exists(folder / "shape.stl") && contents(folder / "shape.stl") == contents(folder / "shapetool.stl")
                ? "match"
                : "DIFFER");
    fs::remove_all(folder);
    benchmark::Shutdown();
}
