#include "sample-bridge/Tool.h"

#include "sample-bridge/Environments.h"
#include "sample-bridge/ToolDoctor.h"
#include "sample-bridge/ToolHooks.h"
#include "sample-bridge/ToolMcp.h"

#include <Foundation/FileIO.h>
#include <Foundation/Home.h>
#include <string_view>
#include <sys/stat.h>
#include <utility>

namespace SampleBridge {

namespace {

int init(std::ostream& output, std::ostream& errors) {
    const auto folder = Foundation::homeDirectory() / ".kestrelhaven";
    if (std::error_code error; !Foundation::createFolder(folder, &error)) {
        errors << "sample bridge: couldn't prepare the data folder " << folder.string() << ": "
               << error.message() << "\n";
        return 1;
    }
    ::chmod(folder.c_str(), 0700);
    output << "Data folder ready at " << folder.string() << "\n";
    return 0;
}

using Verb = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);

// Each verb group lives in a file of its own.
constexpr std::pair<std::string_view, Verb> verbs[] = {
    {"doctor", runDoctor},           {"install-hooks", installHooks}, {"install-mcp", installMcp},
    {"uninstall-mcp", uninstallMcp}, {"env", runEnvironmentTool},
};

} // namespace

int runTool(const std::vector<std::string>& arguments, std::ostream& output, std::ostream& errors) {
    if (arguments.size() == 1 && arguments[0] == "init")
        return init(output, errors);
    for (const auto& [name, verb] : verbs)
        if (!arguments.empty() && arguments[0] == name)
            return verb({arguments.begin() + 1, arguments.end()}, output, errors);
    errors << "sample bridge: unknown command\n";
    return 1;
}

} // namespace SampleBridge
