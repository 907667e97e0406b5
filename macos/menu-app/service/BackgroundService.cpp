#include "service/BackgroundService.h"

#include "menubar/LocalHTTP.h"
#include "service/Bundled.h"
#include "service/DeveloperAgent.h"
#include "service/Waiting.h"

#include <Tools/Tools.h>
#include <unistd.h>

namespace BackgroundService {

namespace {

ServiceManagement::AgentService agent() {
    return ServiceManagement::AgentService::agent(Bundled::agentPlistName());
}

bool bridgeAnswers() {
    return LocalHTTP::send("GET", "/healthz", std::nullopt, 1.0).status == 200;
}

} // namespace

std::filesystem::path plist() {
    return Bundled::app() / ("Contents/Library/LaunchAgents/" + Bundled::agentPlistName());
}

std::string word(Status status) {
    switch (status) {
    case Status::notRegistered:
        return "off";
    case Status::enabled:
        return "on";
    case Status::requiresApproval:
        return "waiting for approval in Login Items";
    case Status::notFound:
        return "missing from the app";
    }
    return "unknown";
}

std::string label() {
    return std::filesystem::path(Bundled::agentPlistName()).replace_extension().string();
}

std::string target(const std::string& label) {
    return "gui/" + std::to_string(::getuid()) + "/" + label;
}

Status status() {
    const Status status = agent().status();
    std::error_code ignored;
    if (status == Status::notFound && std::filesystem::exists(plist(), ignored))
        return Status::notRegistered;
    return status;
}

std::optional<Foundation::Error> registerService() {
    return agent().registerService();
}

std::optional<Foundation::Error> unregister() {
    return agent().unregister();
}

bool waitForBridge(bool up, double seconds) {
    const double deadline = Waiting::now() + seconds;
    for (;;) {
        if (bridgeAnswers() == up)
            return true;
        Waiting::pause(0.3);
        if (Waiting::now() >= deadline)
            return false;
    }
}

bool restart() {
    return Run::run(Tools::path(Tools::Tool::launchctl), {"kickstart", "-k", target(label())},
                    std::nullopt, 10)
               .status == 0;
}

Outcome turnOn(const std::vector<std::string>& retiring,
               const std::function<void(const std::string&)>& progress) {
    for (const std::string& developerLabel : retiring) {
        progress("Stopping " + developerLabel + "…");
        if (const auto error = DeveloperAgent::retire(developerLabel))
            return Outcome::failed("Couldn't retire " + developerLabel + ": " + error->description);
    }
    if (!waitForBridge(false, 6))
        return Outcome::failed("Another bridge still answers on " + LocalHTTP::socketPath() +
                               " (a `kestrelhaven start --foreground`?). Stop it, then try again.");

    progress("Preparing ~/.kestrelhaven…");
    const Run::Result prepared = Bundled::cli({"init"}, 20);
    if (prepared.status != 0)
        return Outcome::failed("kestrelhaven init failed: " +
                               (prepared.error.empty() ? prepared.output : prepared.error));

    progress("Turning on the background service…");
    const auto registerError = registerService();
    const Status afterwards = status();
    if (afterwards == Status::requiresApproval)
        return Outcome::needsApproval();
    if (registerError)
        return Outcome::failed("macOS refused the background service: " +
                               registerError->description);

    progress("Waiting for the bridge…");
    if (waitForBridge(true, 12))
        return Outcome::running();
    return Outcome::failed("The service is on, but the bridge isn't answering yet. Its log: "
                           "~/.kestrelhaven/logs/launchd.err.log");
}

} // namespace BackgroundService
