// Takes off the Mac everything that the application and its bridge put there.
//
// `plan` describes in whole sentences what an uninstall would remove now and
// changes nothing; `run` carries out every removal step in a fixed order,
// records one `UninstallStep` per step, appends the run to the uninstall log
// (~/Library/Logs/Kestrelhaven-uninstall.log) and gives the steps. Neither
// needs the bridge, and neither keeps anything between calls: each looks at
// the disk, the bundle's Info.plist, launchd and the process table afresh.
// Both block their caller for as long as the tools they run and the waits for
// processes to end take (many seconds at worst): call them off the main
// thread, one run at a time.
#pragma once

#include "uninstall/UninstallStep.h"

#include <filesystem>
#include <string>
#include <vector>

namespace Uninstaller {

// What the user still has to do by hand afterwards, in order.
inline const std::vector<std::string> manualSteps = {
    "Drag Kestrelhaven from Applications to the Trash.",
    "On your iPhone: forget this Mac's pairing in Kestrelhaven, then delete the app.",
    "Claude Code in a container: remove the Kestrelhaven token you gave the container; its hooks "
    "go at the container's next start.",
};

// The sentences of what an uninstall would remove now; empty when nothing of the product's is
// left.
std::vector<std::string> plan();

// Performs every step (with `deleteData`, the data folder and the Share menu's outbox go to the
// Trash as well), writes the log and gives the steps in the order they ran. Never stops early.
std::vector<UninstallStep> run(bool deleteData);

// Where the uninstall log is kept.
std::filesystem::path logFile();

} // namespace Uninstaller
