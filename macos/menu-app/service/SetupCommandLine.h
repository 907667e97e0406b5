// The menu-bar executable's command line.
//
// The program entry calls `runIfAsked` first, with the arguments after the
// program's name. When the first one is one of the application's switches,
// the command runs and ends the process with its exit status; otherwise it
// returns false and the application starts. No switch is known yet, so it
// always returns false.
#pragma once

#include <string>
#include <vector>

namespace SetupCommandLine {

bool runIfAsked(const std::vector<std::string>& arguments);

} // namespace SetupCommandLine
