// Whether a command line from the process list is this bundle's bridge.
//
// The bridge runs either as the bundle's launcher (with any arguments) or as
// the bundle's runtime given the bundle's daemon script, possibly after
// runtime options written as single words (--name or --name=value). Paths are
// compared whole, so the same programs of another bundle never match; spaces
// and tabs around the line are ignored, line breaks are not.
#pragma once

#include <string_view>

namespace BridgeProcess {

bool isBridge(std::string_view command, std::string_view node, std::string_view daemon,
              std::string_view launcher);

} // namespace BridgeProcess
