// The tool's `install-hooks [--env <name>]`: puts the bridge's eight hooks
// into a Claude Code settings file.
//
// Without an environment the file is $HOME/.claude/settings.json, with one
// the settings.json in that environment's configuration folder. Each event
// gets one group holding one command hook whose command ends with the
// bridge's marker; hooks of ours already there are replaced, everyone
// else's are kept in their order. An existing file is copied beside itself
// first (".kestrelhaven-backup"). A file that is not a JSON object, or whose
// hooks have a shape the tool does not know, is left as it is and the run
// fails. The first output line says what was done.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace SampleBridge {

// `arguments` follow "install-hooks".
int installHooks(const std::vector<std::string>& arguments, std::ostream& output,
                 std::ostream& errors);

} // namespace SampleBridge
