// The one running copy of an application for a user.
//
// macOS runs one copy of an application bundle for a user: opening it again
// brings the copy that runs to the front instead of starting another. Here
// the copy that runs holds, for the life of its process, the lock on a file
// named for its bundle identifier in `$HOME/.standins/appkit/`, so that every
// copy on one home meets the same file and the kernel lets the lock go
// however the process ends. It writes its process id into that file, so that
// others can tell whether a process is the running copy. A terminal has no
// front to bring that copy to.
#pragma once

#include <optional>
#include <string_view>
#include <sys/types.h>

namespace AppKit::RunningApplication {

// Makes this process the running copy of `bundleIdentifier`; false when another process is.
// An identifier that could name no file, or a lock that cannot be made, lets the launch go on.
bool launch(std::string_view bundleIdentifier);

// The process id the latest running copy of `bundleIdentifier` wrote; that copy may have ended
// since, so a caller asks only about a process it knows to be alive.
std::optional<pid_t> process(std::string_view bundleIdentifier);

} // namespace AppKit::RunningApplication
