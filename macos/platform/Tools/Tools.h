// The system tools that the application runs, found in one table.
//
// On macOS these are fixed system paths (/bin/launchctl, /usr/bin/pluginkit
// and the like). Here each is one of our stand-in programs, which the build
// puts into its tool folder; the folder is compiled in, so a tool is found
// whatever the current directory. Setting KH_TOOLS_DIR to another folder makes every lookup use
// that folder instead (tests use it to run a scripted tool). The process table's `ps` is the
// system's own (procps) and stays where the system keeps it.
#pragma once

#include <string>

namespace Tools {

enum class Tool {
    // Stands in for /bin/launchctl: print, bootout, kickstart and bootstrap of the user's agents.
    launchctl,
    // Stands in for Launch Services' lsregister: registers bundles and their extensions.
    lsregister,
    // Stands in for /usr/bin/pluginkit: lists extensions and elects to use or ignore them.
    pluginkit,
    // /bin/ps: lists processes with their command lines.
    ps,
};

// The path to run `tool` by.
std::string path(Tool tool);

} // namespace Tools
