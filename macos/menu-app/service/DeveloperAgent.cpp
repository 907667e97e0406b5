#include "service/DeveloperAgent.h"

#include "service/BackgroundService.h"
#include "service/Bundled.h"
#include "service/Run.h"
#include "service/Waiting.h"

#include <Foundation/Bundle.h>
#include <Foundation/FileIO.h>
#include <Foundation/Unicode.h>
#include <Tools/Tools.h>
#include <ctime>

namespace DeveloperAgent {

namespace {

Run::Result launchctl(const std::string& verb, const std::string& label, double timeout) {
    return Run::run(Tools::path(Tools::Tool::launchctl), {verb, BackgroundService::target(label)},
                    std::nullopt, timeout);
}

bool fileExists(const std::filesystem::path& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

// Anything at all, a dangling link included: what a move that never overwrites would meet.
bool occupied(const std::filesystem::path& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

} // namespace

const std::vector<std::string>& labels() {
    static const auto* labels = [] {
        const auto* value = Foundation::Bundle::main().object("KHDeveloperAgentLabels");
        auto list = value ? value->textList() : std::nullopt;
        return new std::vector<std::string>(list ? std::move(*list) : std::vector<std::string>());
    }();
    return *labels;
}

std::filesystem::path plist(const std::string& label) {
    return Bundled::home() / "Library" / "LaunchAgents" / (label + ".plist");
}

std::filesystem::path retiredFolder() {
    return Bundled::home() / ".kestrelhaven" / "retired-launchagents";
}

bool isLoaded(const std::string& label) {
    return launchctl("print", label, 5).status == 0;
}

std::vector<std::string> present() {
    std::vector<std::string> found;
    for (const std::string& label : labels()) {
        if (fileExists(plist(label)) || isLoaded(label))
            found.push_back(label);
    }
    return found;
}

Run::Result bootOut(const std::string& label) {
    Run::Result bootout = launchctl("bootout", label, 10);
    const double deadline = Waiting::now() + 15;
    while (launchctl("print", label, 5).status == 0 && Waiting::now() < deadline)
        Waiting::pause(0.3);
    return bootout;
}

std::optional<Foundation::Error> retire(const std::string& label) {
    const Run::Result bootout = bootOut(label);
    if (isLoaded(label))
        return Foundation::Error{
            "Kestrelhaven", 1,
            "launchctl bootout " + label + " failed: " +
                Foundation::Unicode::trimmed(bootout.error,
                                             Foundation::Unicode::isWhitespaceOrNewline)};

    const auto source = plist(label);
    if (!fileExists(source))
        return std::nullopt;
    if (std::error_code made; !Foundation::createFolder(retiredFolder(), &made))
        return Foundation::posixError(made, "Couldn't create " + retiredFolder().string());
    auto destination = retiredFolder() / (label + ".plist");
    if (occupied(destination))
        destination =
            retiredFolder() / (label + "-" + std::to_string(std::time(nullptr)) + ".plist");
    if (const std::error_code moved = Foundation::moveItem(source, destination))
        return Foundation::posixError(moved, "Couldn't move " + source.string() + " to " +
                                                 destination.string());
    return std::nullopt;
}

} // namespace DeveloperAgent
