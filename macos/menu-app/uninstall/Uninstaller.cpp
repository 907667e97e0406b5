#include "uninstall/Uninstaller.h"

#include "service/BackgroundService.h"
#include "service/Bundled.h"
#include "service/DeveloperAgent.h"
#include "uninstall/ClaudeCleanup.h"
#include "uninstall/FileRemovals.h"
#include "uninstall/ServiceRemoval.h"
#include "uninstall/UninstallLog.h"

#include <BridgeConfig.h>
#include <DossierShim.h>
#include <Foundation/SystemTime.h>
#include <Foundation/TextPieces.h>

namespace Uninstaller {

namespace {

namespace fs = std::filesystem;

BridgeConfig bridgeConfig() {
    return BridgeConfig::read(dataFolder() / "config.json");
}

std::optional<std::string> serviceSentence() {
    const BackgroundService::Status status = BackgroundService::status();
    if (status != BackgroundService::Status::enabled &&
        status != BackgroundService::Status::requiresApproval)
        return std::nullopt;
    return "The background service " + BackgroundService::label() + " (" +
           BackgroundService::word(status) + "), unregistered.";
}

// A plan sentence on the product's entries in a file that the run edits, by the edit's own check:
// a file the run will leave alone is told as such.
std::string editSentence(const std::string& entries, bool several, const fs::path& file,
                         const std::optional<std::string>& refusal, const std::string& otherwise) {
    return entries + " in " + tilde(file) +
           (refusal ? (several ? " stay: " : " stays: ") + *refusal + "." : otherwise);
}

} // namespace

fs::path logFile() {
    return Bundled::home() / "Library" / "Logs" / "Kestrelhaven-uninstall.log";
}

std::vector<std::string> plan() {
    std::vector<std::string> sentences;
    if (auto sentence = serviceSentence())
        sentences.push_back(std::move(*sentence));
    for (const std::string& label : DeveloperAgent::present())
        sentences.push_back("The developer LaunchAgent " + label +
                            ": stopped, and its plist moved to the Trash.");
    if (const std::size_t count = bridgeProcesses().size(); count > 0)
        sentences.push_back(std::to_string(count) +
                            (count == 1 ? " bridge process" : " bridge processes") +
                            " of this app, stopped.");
    if (DossierShim::isOurs(dossierCommand().string()))
        sentences.push_back("The dossier command in ~/.local/bin.");

    const BridgeConfig config = bridgeConfig();
    for (const fs::path& file : settingsFiles(config)) {
        if (const auto found = ConfigFile::peek(file, hookChange(config.port)))
            sentences.push_back(editSentence("Kestrelhaven's " + found->summary,
                                             found->summary != "1 hook", file, found->refusal,
                                             ". A backup is kept beside it."));
    }
    const FindClaude findClaude = lookingOnce();
    for (const ClaudeUserFile& file : claudeJSONFiles(config)) {
        if (const auto found = plannedServers(file, findClaude)) {
            const bool several = found->names.size() > 1;
            sentences.push_back(editSentence((several ? "The MCP servers " : "The MCP server ") +
                                                 Foundation::joined(found->names, ", "),
                                             several, file.file, found->refusal, "."));
        }
    }
    if (isSocket(socketPath()))
        sentences.push_back("The bridge's socket, " + tilde(socketPath()) + ".");
    return sentences;
}

std::vector<UninstallStep> run(bool deleteData) {
    const std::string stamp = backupStamp(Foundation::SystemTime::now());
    const BridgeConfig config = bridgeConfig();
    std::vector<UninstallStep> steps;
    auto record = [&steps](std::string title, UninstallStep::Result result) {
        steps.push_back({.title = std::move(title),
                         .status = result.status,
                         .detail = std::move(result.detail)});
    };

    record("Background service", unregisterService());
    for (const std::string& label : DeveloperAgent::labels())
        record("LaunchAgent " + label, retireDeveloperAgent(label));
    record("Bridge processes", stopBridgeProcesses());
    for (const fs::path& file : settingsFiles(config))
        record("Hooks in " + tilde(file),
               hooksStep(ConfigFile::edit(file, stamp, hookChange(config.port))));
    // Looking for Claude Code may run the login shell: only a file with servers of ours asks,
    // and the first answer serves the rest.
    const FindClaude findClaude = lookingOnce();
    for (const ClaudeUserFile& file : claudeJSONFiles(config))
        record("MCP servers in " + tilde(file.file), removeServers(file, findClaude, stamp));
    record("The dossier command", removeDossierShim());
    record("Socket", removeSocket());
    if (deleteData) {
        record("Kestrelhaven's data", trashData());
        record("The Share menu's outbox", trashShares());
    }
    log(steps, deleteData);
    return steps;
}

} // namespace Uninstaller
