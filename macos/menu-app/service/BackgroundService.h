// The bridge's background service: the LaunchAgent that the bundle carries.
//
// Registering it through the service-management interface makes launchd run
// the bridge launcher, which starts the bridge daemon. `BackgroundService`
// registers, inspects and restarts that agent, waits for the bridge to answer
// or to go quiet on its socket, and carries out the whole "turn on" sequence
// with its progress lines and failure sentences. Every operation blocks its
// caller; run them off the main thread, one turn-on at a time.
#pragma once

#include <Foundation/Error.h>
#include <ServiceManagement/AgentService.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace BackgroundService {

using Status = ServiceManagement::Status;

// How a turn-on ended.
struct Outcome {
    enum class Kind { failed, running, needsApproval };

    static Outcome failed(std::string sentence) { return {Kind::failed, std::move(sentence)}; }
    static Outcome running() { return {Kind::running, {}}; }
    static Outcome needsApproval() { return {Kind::needsApproval, {}}; }

    Kind kind;
    // When failed: a whole sentence for the user.
    std::string sentence;

    bool operator==(const Outcome&) const = default;
};

// Bundled::app() + "Contents/Library/LaunchAgents/" + Bundled::agentPlistName().
std::filesystem::path plist();
// The agent's launchd label: its property-list name without the extension.
std::string label();
// The status as the user reads it: "off", "on", "waiting for approval in Login Items" or
// "missing from the app".
std::string word(Status status);
// The launchd target of `label` in this user's domain: "gui/<uid>/<label>".
std::string target(const std::string& label);

// The agent's status; "not found" reads as "not registered" when the bundle has the property
// list.
Status status();
std::optional<Foundation::Error> registerService();
std::optional<Foundation::Error> unregister();

// Asks GET /healthz (1 s time-out) every 0.3 s until the bridge answers 200 (`up`) or does not
// (`!up`); at least one check, whatever `seconds`. True when that state was seen in time.
bool waitForBridge(bool up, double seconds);

// launchctl kickstart -k on the agent; true when it exited 0.
bool restart();

// Retires the developer agents `retiring` in order, waits for any other bridge to go, prepares
// the data folder with the bridge's tool, registers the agent and waits for its bridge.
// `progress` receives each step's line on the calling thread before the step.
Outcome turnOn(const std::vector<std::string>& retiring,
               const std::function<void(const std::string&)>& progress);

} // namespace BackgroundService
