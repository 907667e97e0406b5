// Where things are: the application bundle, the bridge's runtime and
// command-line script inside it, the agent's property-list name and the home
// folder; and the one way to run the bridge's command-line tool.
//
// `home()` is the folder against which every path "under home" is resolved
// (the data folder .kestrelhaven, Claude Code's files, Library/LaunchAgents,
// Library/Logs). A test build names it in Info.plist under "KHHome" (a text
// beginning with "/"); otherwise it is the user's home directory. `app()`,
// `node()`, `cliScript()` and `home()` are worked out once per process;
// `agentPlistName()`, `needsMoving()` and `present()` look again on every
// call.
#pragma once

#include "service/Run.h"

#include <filesystem>
#include <string>
#include <vector>

namespace Bundled {

// The main application bundle.
const std::filesystem::path& app();
// app() + "Contents/Helpers/node": the bridge's runtime.
const std::filesystem::path& node();
// app() + "Contents/Resources/bridge/dist/cli.js": the bridge's command-line tool.
const std::filesystem::path& cliScript();
const std::filesystem::path& home();
// Whether the Info.plist has "KHHome", whatever its value: a test build.
bool isTestBuild();

// Info.plist's "KHAgentPlistName" when it is text (even empty), else
// "com.tallowmeadows.kestrelhaven.agent.plist".
std::string agentPlistName();
// True when the application runs from a disk image (/Volumes/…) or a translocated copy.
bool needsMoving();
// True when the bundle carries its own bridge: an executable runtime and a cli.js.
bool present();

// Runs `node cli.js <arguments>` through `Run::run` with this process's environment less
// NODE_OPTIONS and NODE_PATH and with HOME set to `home()`.
Run::Result cli(const std::vector<std::string>& arguments, double timeout);

} // namespace Bundled
