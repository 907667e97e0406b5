// What the relay's benchmarks share: a test home whose bundle names the App
// Group, with HOME pointed at it so that the group's container lies in it and
// the log silenced; and a run of the registered benchmarks in random order,
// since the time of writing files to storage changes with what else the
// machine does, which prints the ratios of pairs of them last.
#pragma once

#include <Foundation/Log.h>
#include <Testing/BenchmarkRatio.h>
#include <Testing/Testing.h>
#include <cstdlib>
#include <string>
#include <vector>

namespace RelayBench {

inline constexpr const char* appGroup = "group.com.tallowmeadows.kestrelhaven";

inline void useHome() {
    const auto home = Testing::useTestHome({{"KHAppGroup", appGroup}});
    ::setenv("HOME", home.c_str(), 1);
    Foundation::setLogSink([](const Foundation::LogEntry&) {});
}

inline int runInterleaved(int argc, char** argv,
                          const std::vector<Testing::Comparison>& comparisons) {
    std::vector<char*> arguments(argv, argv + argc);
    char interleaving[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleaving);
    return Testing::runComparing(static_cast<int>(arguments.size()), arguments.data(), comparisons);
}

} // namespace RelayBench
