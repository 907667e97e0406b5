// The verbs of the Launch Services registration tool stand-in, over the
// current user's registry (`Registry::current()`, found through $HOME):
//
//   lsregister [-f] [-R] [-trusted] <bundle>…
//
// registers each application bundle; -R also registers the extensions in its
// Contents/PlugIns; -trusted marks it trusted; -f (force) is accepted, since
// every registration here is done afresh. The result is the exit status: 0
// when every bundle was registered, 64 with a usage line for a wrong use,
// otherwise 1 with each failure's sentence on `errors`.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace LaunchServices {

// `arguments` without the program's own name.
int lsregister(const std::vector<std::string>& arguments, std::ostream& output,
               std::ostream& errors);

} // namespace LaunchServices
