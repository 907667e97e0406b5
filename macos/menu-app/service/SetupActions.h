// The actions of the Setup window that reach outside it.
//
// `openPair` and `openSettings` are replaceable callbacks: they do nothing
// until the application delegate, at launch, points them at the pairing
// panel and the Settings window. `installClaude` offers to run Claude Code's
// installer in a terminal (through a script it writes into the data folder,
// Bundled::home() + ".kestrelhaven/install-claude-code.command"), or to copy
// the command. `openTailscale` opens Tailscale, or its download page when it
// is not installed. Main thread only; nothing here reports a failure: when
// the script cannot be written the command goes onto the pasteboard instead.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>

namespace SetupActions {

extern std::function<void()> openPair;
extern std::function<void()> openSettings;

inline constexpr std::array<const char*, 2> tailscaleIdentifiers = {"io.tailscale.ipn.macos",
                                                                    "io.tailscale.ipn.macsys"};

std::filesystem::path installerScript();
// The script's first line names the first of these shells that exists here.
std::string installerScriptText(const std::string& command);

void installClaude(const std::string& command);
void openTailscale();

} // namespace SetupActions
