// The console's report, keeping each benchmark's real time per iteration so
// that a benchmark can print ratios between runs after them.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class Seconds_reporter : public benchmark::ConsoleReporter {
public:
    // By the benchmark's full name, such as "set_shape/999/999".
    std::map<std::string, double> seconds;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                seconds[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};
