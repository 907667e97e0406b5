// Running a benchmark program that compares itself with a baseline.
//
// `runComparing` runs the registered benchmarks, printing each as usual, and
// then prints one last line: the label and the ratio of one benchmark's time
// per iteration to another's, both measured in the same run. Names are as the
// benchmark library reports them ("name/min_time:1.000"). For benchmark
// programs only: it needs the benchmark library.
#pragma once

#include <benchmark/benchmark.h>
#include <iostream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace Testing {

namespace Detail {

// Keeps each benchmark's time per iteration as well as printing it.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            secondsPerIteration[run.benchmark_name()] =
                run.real_accumulated_time / static_cast<double>(run.iterations);
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double, std::less<>> secondsPerIteration;
};

} // namespace Detail

// The program's exit status: 1 when either benchmark did not report.
inline int runComparing(int argc, char** argv, std::string_view measured, std::string_view baseline,
                        std::string_view label) {
    benchmark::Initialize(&argc, argv);
    Detail::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto ours = reporter.secondsPerIteration.find(measured);
    const auto base = reporter.secondsPerIteration.find(baseline);
    if (ours == reporter.secondsPerIteration.end() || base == reporter.secondsPerIteration.end())
        return 1;
    std::cout << label << ": " << ours->second / base->second << "\n";
    return 0;
}

} // namespace Testing
