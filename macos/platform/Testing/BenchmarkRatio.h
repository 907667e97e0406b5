// Running a benchmark program that measures our code beside a baseline.
//
// `runComparing` runs the registered benchmarks with the console reporter and
// then prints, as the last line, "ratio (ours / <baseline>): <x>": the real
// time per iteration of the benchmark function `ours` over that of
// `baseline`; for benchmarks run in repetitions, the median's. A program that
// compares more than one pair prints a line for each, in the order given,
// each naming both sides. Header-only, for programs that link Google
// Benchmark.
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

// Two benchmark functions to compare, each with the label its ratio line gives it.
struct Comparison {
    std::string ours;
    std::string baseline;
    std::string oursLabel;
    std::string baselineLabel;
};

// The program's exit status: 1 when a benchmark compared did not run, whose ratio is left out.
inline int runComparing(int argc, char** argv, const std::vector<Comparison>& comparisons) {
    benchmark::Initialize(&argc, argv);
    Detail::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto& times = reporter.secondsPerIteration;
    int status = 0;
    for (const Comparison& comparison : comparisons) {
        const auto ourTime = times.find(comparison.ours);
        const auto baselineTime = times.find(comparison.baseline);
        if (ourTime == times.end() || baselineTime == times.end()) {
            status = 1;
            continue;
        }
        std::cout << "ratio (" << comparison.oursLabel << " / " << comparison.baselineLabel
                  << "): " << ourTime->second / baselineTime->second << "\n";
    }
    return status;
}

inline int runComparing(int argc, char** argv, const std::string& ours, const std::string& baseline,
                        const std::string& baselineLabel) {
    return runComparing(argc, argv, {{ours, baseline, "ours", baselineLabel}});
}

} // namespace Testing
