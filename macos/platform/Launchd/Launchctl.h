// The verbs of the launchctl stand-in, over the current user's domain
// (`Domain::current()`, found through $HOME):
//
//   print <target>                 describes the job; fails when it is not loaded
//   bootout <target>               stops the job's program and unloads the job
//   kickstart [-k] <target>        starts the job's program; -k restarts a running one
//   bootstrap <domain> <plist>…    loads agents from property lists and starts them
//
// A target is "gui/<uid>/<label>" and a domain "gui/<uid>", with this
// process's real user id. The result is the exit status: 0 on success, 64
// with a usage line for a wrong use, otherwise the failure's code with its
// sentence on `errors`.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace Launchd {

// `arguments` without the program's own name.
int launchctl(const std::vector<std::string>& arguments, std::ostream& output,
              std::ostream& errors);

} // namespace Launchd
