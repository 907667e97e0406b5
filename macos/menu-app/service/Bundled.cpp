#include "service/Bundled.h"

#include <Foundation/Bundle.h>
#include <Foundation/Home.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Bundled {

namespace {

constexpr const char* defaultAgentPlistName = "com.tallowmeadows.kestrelhaven.agent.plist";

} // namespace

// The values fixed for the life of the process are never destroyed: threads may read them
// while the process exits.
const std::filesystem::path& app() {
    static const auto* path = new std::filesystem::path(Foundation::Bundle::main().path());
    return *path;
}

const std::filesystem::path& node() {
    static const auto* path = new std::filesystem::path(app() / "Contents" / "Helpers" / "node");
    return *path;
}

const std::filesystem::path& cliScript() {
    static const auto* path =
        new std::filesystem::path(app() / "Contents" / "Resources" / "bridge" / "dist" / "cli.js");
    return *path;
}

const std::filesystem::path& home() {
    static const auto* folder = [] {
        const auto* value = Foundation::Bundle::main().object("KHHome");
        if (value && value->text() && value->text()->starts_with("/"))
            return new std::filesystem::path(*value->text());
        return new std::filesystem::path(Foundation::homeDirectory());
    }();
    return *folder;
}

bool isTestBuild() {
    return Foundation::Bundle::main().object("KHHome") != nullptr;
}

std::string agentPlistName() {
    const auto* value = Foundation::Bundle::main().object("KHAgentPlistName");
    return value && value->text() ? *value->text() : defaultAgentPlistName;
}

bool needsMoving() {
    const std::string path = app().string();
    return path.starts_with("/Volumes/") || path.find("/AppTranslocation/") != std::string::npos;
}

bool present() {
    struct stat status {};
    const bool executable = ::stat(node().c_str(), &status) == 0 && !S_ISDIR(status.st_mode) &&
                            ::access(node().c_str(), X_OK) == 0;
    return executable && ::stat(cliScript().c_str(), &status) == 0;
}

Run::Result cli(const std::vector<std::string>& arguments, double timeout) {
    Run::Environment environment = Run::currentEnvironment();
    environment.erase("NODE_OPTIONS");
    environment.erase("NODE_PATH");
    environment.insert_or_assign("HOME", home().string());
    std::vector<std::string> toolArguments{cliScript().string()};
    toolArguments.insert(toolArguments.end(), arguments.begin(), arguments.end());
    return Run::run(node().string(), toolArguments, environment, timeout);
}

} // namespace Bundled
