#include "Tools.h"

#include <cstdlib>

namespace Tools {

namespace {

const char* fileName(Tool tool) {
    switch (tool) {
    case Tool::launchctl:
        return "launchctl";
    case Tool::lsregister:
        return "lsregister";
    case Tool::pluginkit:
        return "pluginkit";
    case Tool::ps:
        return "ps";
    }
    return "";
}

std::string folder() {
    if (const char* chosen = std::getenv("KH_TOOLS_DIR"); chosen && *chosen)
        return chosen;
    return KH_TOOLS_FOLDER;
}

} // namespace

std::string path(Tool tool) {
    if (tool == Tool::ps)
        return "/bin/ps";
    return folder() + "/" + fileName(tool);
}

} // namespace Tools
