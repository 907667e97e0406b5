// Running a benchmark program that measures our code beside a baseline.
//
// `runComparing` runs the registered benchmarks with the console reporter and
// then prints, as the last line, "ratio (ours / <baseline>): <x>": the real
// time per iteration of the benchmark function `ours` over that of
// `baseline`; for benchmarks run in repetitions, the median's. Header-only,
// for programs that link Google Benchmark.
#pragma once

#include <benchmark/benchmark.h>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace Testing {

namespace Detail {

// Keeps each benchmark's time per iteration as well as printing it; of repetitions, the median.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            if (run.run_type == Run::RT_Iteration)
                secondsPerIteration.try_emplace(run.run_name.function_name, seconds);
            else if (run.aggregate_name == "median")
                secondsPerIteration[run.run_name.function_name] = seconds;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> secondsPerIteration;
};

} // namespace Detail

// The program's exit status: 1 when either benchmark did not run.
inline int runComparing(int argc, char** argv, const std::string& ours, const std::string& baseline,
                        const std::string& baselineLabel) {
    benchmark::Initialize(&argc, argv);
    Detail::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto& times = reporter.secondsPerIteration;
    const auto ourTime = times.find(ours);
    const auto baselineTime = times.find(baseline);
    if (ourTime == times.end() || baselineTime == times.end())
        return 1;
    std::cout << "ratio (ours / " << baselineLabel
              << "): " << ourTime->second / baselineTime->second << "\n";
    return 0;
}

} // namespace Testing
