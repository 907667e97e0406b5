// KestrelhavenBridge, the program the bridge's background service runs.
//
// It finds the Node runtime (Contents/Helpers/node) and the bridge's daemon
// script (Contents/Resources/bridge/dist/daemon.js) in the bundle that holds
// its own resolved executable, checks that both are usable and, when its
// standard output is not a terminal (as under launchd), sends standard output
// and error to ~/.kestrelhaven/logs/launchd.out.log and launchd.err.log
// (folders 0700, files created 0600 and appended to). It then removes
// NODE_OPTIONS and NODE_PATH from its environment and replaces itself with
// `node --disable-sigusr1 <daemon.js>`, so the daemon keeps its process id,
// its environment and its log descriptors. Its own arguments are ignored;
// of its environment it reads only HOME.
//
// Every failure ends the process through `fail`: one line
// "KestrelhavenBridge: <failure>" on standard error and exit status 78.
#pragma once

#include <string>

namespace Launcher {

// The exit status of every failure (a configuration error).
inline constexpr int failureStatus = 78;

// Writes "KestrelhavenBridge: <message>" and a line feed to standard error and exits with 78.
[[noreturn]] void fail(const std::string& message);

// The running executable's absolute path, every symbolic link resolved; fails with "can't find
// my own path" when that path is 1024 bytes or longer or cannot be resolved.
std::string executablePath();

// $HOME when it is set and not empty, else the password database's home folder of the real
// user (taken as it is, even empty); fails with "no home directory" when neither exists.
std::string home();

// The text before the last "/" of `path`; "." when it holds no "/".
std::string cutLastComponent(const std::string& path);

// The program entry: becomes the daemon or ends through `fail`.
[[noreturn]] void run();

} // namespace Launcher
