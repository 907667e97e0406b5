// The uninstall steps that stop what runs: the background service, the
// LaunchAgents of a developer install, and any bridge process of this bundle
// still alive after them.
//
// Each step operation gives the step's status and detail. They block while
// launchctl and ps run and while they wait for launchd and for processes to
// end (pauses of 0.3 s through `Waiting`, so tests can skip them). Only this
// user's processes are listed, and a process is signalled only when its
// command line is still the bundle's bridge at that moment.
#pragma once

#include "uninstall/UninstallStep.h"

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace Uninstaller {

UninstallStep::Result unregisterService();
UninstallStep::Result retireDeveloperAgent(const std::string& label);
// The bundle's running bridge processes, in the process table's order.
std::vector<pid_t> bridgeProcesses();
UninstallStep::Result stopBridgeProcesses();

// One process of a process listing ("pid=,command=" lines).
struct ListedProcess {
    pid_t pid;
    std::string command;
    bool operator==(const ListedProcess&) const = default;
};
// The well-formed lines of a listing, in order: a line whose first field is not a positive
// decimal 32-bit number, or that has no command after it, is left out.
std::vector<ListedProcess> parseProcessListing(std::string_view output);

} // namespace Uninstaller
