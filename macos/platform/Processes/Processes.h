// Other processes of this user: their command lines, and signals to them.
//
// A process id names a process only for as long as it lives; the system may
// give it to another process afterwards. So a signal is sent only after the
// process has been looked at once more: it must belong to this user and its
// command line must still be the one the caller expects. The process is held
// while it is looked at, so the signal reaches the process that passed the
// test or none at all.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace Processes {

// Whether `pid` is a process that belongs to this user.
bool isOwn(pid_t pid);

// The process's arguments joined by single spaces, as the process table shows them; nothing
// when the process is gone, has ended, or has no arguments (a kernel thread).
std::optional<std::string> commandLine(pid_t pid);

// Whether `pid` is a process stopped by a signal or by a tracer, so that it does nothing until it
// is continued.
bool isStopped(pid_t pid);

// Sends `signal` to `pid` when it is this user's and `expected` holds for its command line at
// this moment. True when the signal was sent.
bool signal(pid_t pid, int signal, const std::function<bool(const std::string&)>& expected);

// Starts a program found on PATH in a session of its own, with nothing on its standard streams,
// and reaps it in the background; gives the errno value of a failed start, else 0.
int startDetached(const std::vector<std::string>& arguments);

} // namespace Processes
