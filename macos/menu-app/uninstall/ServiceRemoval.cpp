#include "uninstall/ServiceRemoval.h"

#include "service/BackgroundService.h"
#include "service/Bundled.h"
#include "service/DeveloperAgent.h"
#include "service/Run.h"
#include "service/Waiting.h"
#include "uninstall/FileRemovals.h"

#include <BridgeProcess.h>
#include <Foundation/TextPieces.h>
#include <Processes/Processes.h>
#include <Tools/Tools.h>
#include <charconv>
#include <csignal>
#include <unistd.h>

namespace Uninstaller {

namespace {

constexpr double processWait = 4.0;
constexpr double pauseLength = 0.3;

bool fileExists(const std::filesystem::path& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

std::string joined(const std::vector<pid_t>& pids) {
    std::string text;
    for (const pid_t pid : pids)
        text += (text.empty() ? "" : ", ") + std::to_string(pid);
    return text;
}

// The bundle's bridge as the process table shows it.
struct BridgePaths {
    std::string node = Bundled::node().string();
    std::string daemon = (Bundled::app() / "Contents/Resources/bridge/dist/daemon.js").string();
    std::string launcher = (Bundled::app() / "Contents/MacOS/KestrelhavenBridge").string();

    bool matches(std::string_view command) const {
        return BridgeProcess::isBridge(command, node, daemon, launcher);
    }
};

// Waits until no bridge process is left or `seconds` have passed; gives those left.
std::vector<pid_t> waitForBridgeToEnd(std::vector<pid_t> pids, double seconds) {
    const double deadline = Waiting::now() + seconds;
    while (!pids.empty() && Waiting::now() < deadline) {
        Waiting::pause(pauseLength);
        pids = bridgeProcesses();
    }
    return pids;
}

void signalBridge(const std::vector<pid_t>& pids, int signal) {
    const BridgePaths bridge;
    for (const pid_t pid : pids)
        Processes::signal(pid, signal,
                          [&](const std::string& command) { return bridge.matches(command); });
}

} // namespace

UninstallStep::Result unregisterService() {
    if (!Bundled::present())
        return {UninstallStep::Status::notFound, "this build has no background service of its own"};
    const auto status = BackgroundService::status();
    if (status != BackgroundService::Status::enabled &&
        status != BackgroundService::Status::requiresApproval)
        return {UninstallStep::Status::notFound, "not registered"};
    if (const auto error = BackgroundService::unregister())
        return {UninstallStep::Status::failed, error->description};
    return {UninstallStep::Status::done,
            BackgroundService::label() + " unregistered; launchd stopped it"};
}

UninstallStep::Result retireDeveloperAgent(const std::string& label) {
    const bool loaded = DeveloperAgent::isLoaded(label);
    const auto plist = DeveloperAgent::plist(label);
    const bool installed = fileExists(plist);
    std::vector<std::string> parts;
    if (loaded) {
        DeveloperAgent::bootOut(label);
        if (DeveloperAgent::isLoaded(label))
            return {UninstallStep::Status::failed, "launchctl bootout didn't stop it"};
        parts.push_back("stopped");
    } else if (!installed) {
        return {UninstallStep::Status::notFound, "not installed"};
    }
    if (installed) {
        Foundation::Error error;
        if (!trash(plist, &error))
            return {UninstallStep::Status::failed,
                    Foundation::joined(parts, ", ") + "; the plist: " + error.description};
        parts.push_back("its plist moved to the Trash");
    }
    return {UninstallStep::Status::done, Foundation::joined(parts, ", ")};
}

std::vector<ListedProcess> parseProcessListing(std::string_view output) {
    std::vector<ListedProcess> listed;
    for (std::string_view line : Foundation::nonEmptyPieces(output, '\n')) {
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos)
            continue;
        line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos)
            continue;
        const std::string_view number = line.substr(0, space);
        std::string_view command = line.substr(space + 1);
        command.remove_prefix(std::min(command.find_first_not_of(' '), command.size()));
        std::int32_t pid = 0;
        const auto parsed = std::from_chars(number.data(), number.data() + number.size(), pid);
        // No process has an id of 0 or below; signalled, such an id would reach a whole group.
        if (command.empty() || parsed.ec != std::errc() ||
            parsed.ptr != number.data() + number.size() || pid <= 0)
            continue;
        listed.push_back({pid, std::string(command)});
    }
    return listed;
}

std::vector<pid_t> bridgeProcesses() {
    if (!Bundled::present())
        return {};
    const Run::Result listing =
        Run::run(Tools::path(Tools::Tool::ps), {"-axww", "-o", "pid=,command="}, std::nullopt, 5);
    const BridgePaths bridge;
    std::vector<pid_t> pids;
    for (const ListedProcess& process : parseProcessListing(listing.output)) {
        if (process.pid != ::getpid() && Processes::isOwn(process.pid) &&
            bridge.matches(process.command))
            pids.push_back(process.pid);
    }
    return pids;
}

UninstallStep::Result stopBridgeProcesses() {
    // Unregistering the service makes launchd stop its bridge: give it the time to.
    const std::vector<pid_t> signalled = waitForBridgeToEnd(bridgeProcesses(), processWait);
    if (signalled.empty())
        return {UninstallStep::Status::notFound, "none left running"};
    signalBridge(signalled, SIGTERM);
    const std::vector<pid_t> left = waitForBridgeToEnd(bridgeProcesses(), processWait);
    signalBridge(left, SIGKILL);
    Waiting::pause(pauseLength);
    if (const std::vector<pid_t> still = bridgeProcesses(); !still.empty())
        return {UninstallStep::Status::failed, "still running: pid " + joined(still)};
    return {UninstallStep::Status::done,
            "stopped pid " + joined(signalled) + (left.empty() ? "" : " (SIGKILL)")};
}

} // namespace Uninstaller
