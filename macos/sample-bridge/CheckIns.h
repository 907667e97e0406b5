// When the sample bridge's containers check in, as a test plans it.
//
// A real container reports to the bridge once it is set up; here a test
// asks for that ahead of time: `plan` says how many milliseconds after its
// next `env add` or `env snippet` a container is refused (as Tailscale
// refuses a stranger) and checks in. The tool's run fixes those moments,
// and the server's environments list reports each once it has come. The
// plans and moments live in $HOME/.kestrelhaven/sample-check-ins.json, since
// the tool and the server run as separate programs; a missing or unreadable
// file plans nothing. A plan for `everyContainer` holds for each container
// without one of its own: the daemon makes one, so that the demo's containers
// check in as a user's would. Times are milliseconds since 1970.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace SampleBridge::CheckIns {

struct Plan {
    std::optional<double> refusedAfter;
    std::optional<double> checkedAfter;
};

struct Moments {
    std::optional<double> refusedAt;
    std::optional<double> checkedAt;
};

// Not a name an environment can have.
inline constexpr const char* everyContainer = "*";

std::filesystem::path file();

// Keeps `plan` for the container `name`, in place of an earlier one; false with `error` a
// sentence when the file cannot be written.
bool plan(const std::string& name, const Plan& plan, std::string& error);
// The container `name` was added or described at `now`: its planned moments count from then.
void begin(const std::string& name, double now);
// The moments of `name` that have come by `now`.
Moments seen(const std::string& name, double now);

} // namespace SampleBridge::CheckIns
