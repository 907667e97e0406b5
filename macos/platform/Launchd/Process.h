// The processes of launchd's jobs.
//
// A job's program starts detached, as launchd would start it: never a child
// of the process that asked (an intermediate process forks it and ends at
// once), in a session of its own without a terminal, as leader of its own
// process group, with standard input, output and error on the null device,
// "/" as working folder, default signal handling and only the environment
// given. A running instance is known by its process id together with its
// start time, so a process id the system has reused is never taken for it,
// and signals go only to this user's own processes.
#pragma once

#include <Foundation/Error.h>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace Launchd {

struct Instance {
    pid_t pid = 0;
    // Clock ticks from boot to the process's start, as the kernel reports it.
    std::uint64_t startTime = 0;

    bool operator==(const Instance&) const = default;
};

// Starts `arguments` (the program's path first) with exactly `environment` ("NAME=value"
// entries). Gives the instance, or nothing with `error` set when the program could not be
// started.
std::optional<Instance> start(const std::vector<std::string>& arguments,
                              const std::vector<std::string>& environment,
                              Foundation::Error* error = nullptr);

// True while the instance's process exists, has not ended and belongs to this user.
bool isRunning(const Instance& instance);

// Asks the instance's process group to terminate and, when the instance has not ended
// within `grace` seconds, kills the group. True when the instance has ended.
bool stop(const Instance& instance, double grace);

} // namespace Launchd
