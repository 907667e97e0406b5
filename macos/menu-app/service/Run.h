// The one runner of child processes.
//
// `Run::run` starts a program in a session of its own (no controlling
// terminal), with standard input on the null device and both output streams
// captured, blocks until it ends or its time-out passes,
// and hands back a `Run::Result`; it never throws. Both pipes are drained
// while the child runs, so a child that writes a great deal never blocks.
//
// Status -1 means the program did not start (`error` then says why) or ran
// past its time-out (`error` is "<file name> timed out"); otherwise it is the
// exit status, or the signal number for a child ended by a signal. A
// timed-out child's process group is asked to terminate and killed after a
// short grace, and reaped in the background; the call returns at the
// time-out. After the child ends, the runner waits up to 2 seconds for the
// ends of both streams: a stream still held open then (by a grandchild) is
// closed and counts as empty. Output is decoded as UTF-8, each invalid
// sequence replaced by U+FFFD.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Run {

struct Result {
    std::int32_t status = -1;
    std::string output;
    std::string error;

    bool operator==(const Result&) const = default;
};

using Environment = std::map<std::string, std::string>;

// How long the runner waits for the ends of the streams once the child has ended.
inline constexpr double streamGrace = 2.0;
// How long a timed-out child has to end after the terminate request before it is killed.
inline constexpr double terminateGrace = 1.0;

// This process's environment as it is now.
Environment currentEnvironment();

// Runs `executable` (a path; it is also the child's first argument) with `arguments`. With an
// environment, that is the child's whole environment; without one the child inherits this
// process's.
Result run(const std::string& executable, const std::vector<std::string>& arguments,
           const std::optional<Environment>& environment, double timeout);

} // namespace Run
