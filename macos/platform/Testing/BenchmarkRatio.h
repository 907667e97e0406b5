// The ending every benchmark program shares: run the benchmarks, then print,
// as the last line, the ratio of our code's time per iteration to its
// baseline's, both measured in the same run.
//
// Header-only, so that only the benchmark programs need Google Benchmark.
#pragma once

#include <benchmark/benchmark.h>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace Testing {

// Keeps each benchmark's real time per iteration, by function name, as well as printing it.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (!run.error_occurred && run.iterations > 0)
                secondsPerIteration[run.run_name.function_name] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, double> secondsPerIteration;
};

// Runs the registered benchmarks and prints "ratio (ours / baseline): <ratio>" last. Gives
// the program's exit status: 1 when either benchmark has no time.
inline int runWithRatio(int argc, char** argv, const std::string& ours,
                        const std::string& baseline) {
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto ourTime = reporter.secondsPerIteration.find(ours);
    const auto baselineTime = reporter.secondsPerIteration.find(baseline);
    if (ourTime == reporter.secondsPerIteration.end() ||
        baselineTime == reporter.secondsPerIteration.end())
        return 1;
    std::cout << "ratio (" << ours << " / " << baseline
              << "): " << ourTime->second / baselineTime->second << "\n";
    return 0;
}

} // namespace Testing
