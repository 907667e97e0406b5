// LaunchAgents of a developer install: a bridge run from a source checkout by
// its own property list in ~/Library/LaunchAgents.
//
// The bundle's Info.plist names their labels ("KHDeveloperAgentLabels").
// `DeveloperAgent` finds them, tells whether launchd has them loaded (through
// launchctl), and retires them before the application's own agent takes
// over: it boots the agent out, waits for launchd to let it go, and moves its
// property list aside into ~/.kestrelhaven/retired-launchagents, never over
// a file already there. Every operation blocks its caller.
#pragma once

#include "service/Run.h"

#include <Foundation/Error.h>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace DeveloperAgent {

// Info.plist's "KHDeveloperAgentLabels" when it is a list of texts, else empty; read once.
const std::vector<std::string>& labels();
// Bundled::home() + "Library/LaunchAgents/<label>.plist".
std::filesystem::path plist(const std::string& label);
// Bundled::home() + ".kestrelhaven/retired-launchagents".
std::filesystem::path retiredFolder();

// launchctl print on the label's target (5 s) exited 0.
bool isLoaded(const std::string& label);
// Runs launchctl bootout on the label's target (10 s), then looks every 0.3 s for up to 15 s
// until launchd no longer has it; gives the bootout's result.
Run::Result bootOut(const std::string& label);

// The labels, in order, whose property list exists or, failing that, that are loaded.
std::vector<std::string> present();

// Unloads the agent and moves its property list (if any) into the retired folder. The error of
// an agent still loaded 15 s after the bootout is domain "Kestrelhaven", code 1; file-system
// errors pass through.
std::optional<Foundation::Error> retire(const std::string& label);

} // namespace DeveloperAgent
