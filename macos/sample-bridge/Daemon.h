// The sample bridge as a program, standing where the bundle's Node runtime
// would be and telling the bridge's two scripts apart by name.
//
// `[--disable-sigusr1] <folder>/daemon.js` serves the demo state at
// $HOME/.kestrelhaven/bridge.sock (the folder made with mode 0700) until
// SIGTERM or SIGINT, then removes the socket and gives 0 (with
// KH_SAMPLE_BRIDGE_IGNORE_TERM=1 in its environment it ignores SIGTERM, as a
// bridge that hangs would, and only SIGINT or a kill ends it); a server that
// cannot start gives 1 and leaves the reason in
// $HOME/.kestrelhaven/start-error.txt for the menu. It plays a user's day: the
// simulated phone pairs, and each container checks in 3 s after it is added
// or its setup shown; what the user changes it keeps in sample-state.json
// there (SavedState.h), so that a restart loses none of it.
// `[--disable-sigusr1] <folder>/cli.js VERB …` is the bridge's command-line
// tool (Tool.h). Anything else prints a usage line and gives 2.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace SampleBridge {

// `arguments` without the program's own name; the tool's answers go to `output`, complaints
// to `errors`.
int runNode(const std::vector<std::string>& arguments, std::ostream& output, std::ostream& errors);

} // namespace SampleBridge
