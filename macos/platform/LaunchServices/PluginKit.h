// The verbs of the plug-in tool stand-in, over the current user's registry
// (`Registry::current()`, found through $HOME):
//
//   pluginkit -m [-v] [-i <identifier>] [-p <extension point>]
//       lists the registered extensions that match, one a line: the
//       election in the first column ("+" used, "-" ignored, a space when
//       never elected), four spaces, the identifier and its version in
//       parentheses, and with -v a tab and the bundle's path
//   pluginkit -e use|ignore|default -i <identifier>
//       elects the extension: use it, ignore it, or forget the election
//
// The result is the exit status: 0 on success (a listing that matches
// nothing too), 64 with a usage line for a wrong use, 1 with the failure's
// sentence on `errors` when electing fails or no such extension is registered.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace LaunchServices {

// `arguments` without the program's own name.
int pluginkit(const std::vector<std::string>& arguments, std::ostream& output,
              std::ostream& errors);

} // namespace LaunchServices
