#include "uninstall/ClaudeCleanup.h"

#include "service/Bundled.h"
#include "service/Run.h"

#include <ClaudeConfig.h>
#include <Foundation/FileIO.h>
#include <Foundation/TextPieces.h>
#include <JSON.h>
#include <memory>

namespace Uninstaller {

namespace {

namespace fs = std::filesystem;

constexpr double claudeTimeout = 30;
constexpr const char* cantRead = "can't read it";

// `claude` works on the file it is meant to: the user file of a configuration directory
// through CLAUDE_CONFIG_DIR, the test home's through the same, the user's own without it.
Run::Environment claudeEnvironment(const std::optional<std::string>& configDir) {
    Run::Environment environment = Run::currentEnvironment();
    const std::string home = Bundled::home().string();
    environment.insert_or_assign("HOME", home);
    if (configDir)
        environment.insert_or_assign("CLAUDE_CONFIG_DIR", *configDir);
    else if (Bundled::isTestBuild())
        environment.insert_or_assign("CLAUDE_CONFIG_DIR", home);
    else
        environment.erase("CLAUDE_CONFIG_DIR");
    return environment;
}

// Takes those of `names` that are the product's servers out of a user document and notes them in
// `removed`; gives them joined by ", ", or nothing.
ConfigFile::Change serverChange(const std::vector<std::string>& names,
                                std::vector<std::string>& removed) {
    return [&names, &removed](JSON& document) -> std::optional<std::string> {
        removed = ClaudeConfig::removeServers(names, document);
        return removed.empty() ? std::nullopt : std::optional(Foundation::joined(removed, ", "));
    };
}

} // namespace

std::vector<fs::path> settingsFiles(const BridgeConfig& config) {
    std::vector<fs::path> files{Bundled::home() / ".claude" / "settings.json"};
    for (const std::string& folder : config.configDirs)
        files.push_back(fs::path(folder) / "settings.json");
    return files;
}

std::vector<ClaudeUserFile> claudeJSONFiles(const BridgeConfig& config) {
    std::vector<ClaudeUserFile> files{{Bundled::home() / ".claude.json", std::nullopt}};
    for (const std::string& folder : config.configDirs)
        files.push_back({fs::path(folder) / ".claude.json", folder});
    return files;
}

ConfigFile::Change hookChange(std::int64_t port) {
    return [port](JSON& document) -> std::optional<std::string> {
        const int removed = ClaudeConfig::removeOurHooks(document, port);
        if (removed <= 0)
            return std::nullopt;
        return removed == 1 ? "1 hook" : std::to_string(removed) + " hooks";
    };
}

UninstallStep::Result hooksStep(const EditOutcome& outcome) {
    switch (outcome.kind) {
    case EditOutcome::Kind::changed:
        return {UninstallStep::Status::done, "removed " + outcome.summary + "; backup " +
                                                 fs::path(outcome.backup).filename().string()};
    case EditOutcome::Kind::failed:
        return {UninstallStep::Status::failed, outcome.message};
    case EditOutcome::Kind::nothingOurs:
        return {UninstallStep::Status::notFound, "none of Kestrelhaven's"};
    case EditOutcome::Kind::missing:
        break;
    }
    return {UninstallStep::Status::notFound, "no such file"};
}

ServersInFile serversIn(const fs::path& file) {
    const auto read = Foundation::readRegularFile(file, ConfigFile::maximumSize);
    if (!read.data) {
        return {read.failure == Foundation::ReadFailure::Missing ? ServersInFile::Kind::missing
                                                                 : ServersInFile::Kind::unreadable,
                {}};
    }
    const auto parsed = JSON::parse(*read.data);
    if (!parsed.value)
        return {ServersInFile::Kind::read, {}};
    return {ServersInFile::Kind::read,
            ClaudeConfig::servers(ClaudeConfig::mcpServers, *parsed.value)};
}

FindClaude lookingOnce() {
    auto found = std::make_shared<std::optional<std::optional<ClaudeCode>>>();
    return [found] {
        if (!*found)
            *found = ClaudeCode::find();
        return **found;
    };
}

std::optional<PlannedServers> plannedServers(const ClaudeUserFile& file,
                                             const FindClaude& findClaude) {
    std::vector<std::string> names;
    auto found = ConfigFile::peek(file.file, serverChange(ClaudeConfig::mcpServers, names));
    if (!found)
        return std::nullopt;
    // Claude Code, asked first, rewrites the file by its own means.
    if (found->refusal && findClaude())
        found->refusal.reset();
    return PlannedServers{std::move(names), std::move(found->refusal)};
}

UninstallStep::Result removeServers(const ClaudeUserFile& file, const FindClaude& findClaude,
                                    const std::string& stamp) {
    const ServersInFile found = serversIn(file.file);
    if (found.kind == ServersInFile::Kind::unreadable)
        return {UninstallStep::Status::failed, cantRead};
    if (found.names.empty()) {
        return {UninstallStep::Status::notFound, found.kind == ServersInFile::Kind::missing
                                                     ? "no such file"
                                                     : "none of Kestrelhaven's"};
    }
    std::string how = "edited directly";
    if (const std::optional<ClaudeCode> claude = findClaude()) {
        const Run::Environment environment = claudeEnvironment(file.configDir);
        // Their results are not examined: reading the file again decides.
        for (const std::string& name : found.names)
            Run::run(claude->path, {"mcp", "remove", "--scope", "user", name}, environment,
                     claudeTimeout);
        how = "claude mcp remove";
    }
    const ServersInFile after = serversIn(file.file);
    if (after.kind == ServersInFile::Kind::unreadable)
        return {UninstallStep::Status::failed, cantRead};
    const std::vector<std::string>& left = after.names;
    if (left.empty())
        return {UninstallStep::Status::done,
                "removed " + Foundation::joined(found.names, ", ") + " (" + how + ")"};

    std::vector<std::string> removed;
    const EditOutcome outcome = ConfigFile::edit(file.file, stamp, serverChange(left, removed));
    switch (outcome.kind) {
    case EditOutcome::Kind::changed:
        return {UninstallStep::Status::done,
                "removed " + outcome.summary + " (edited directly; backup " +
                    fs::path(outcome.backup).filename().string() + ")"};
    case EditOutcome::Kind::failed:
        return {UninstallStep::Status::failed,
                Foundation::joined(left, ", ") + " still registered: " + outcome.message};
    case EditOutcome::Kind::nothingOurs:
    case EditOutcome::Kind::missing:
        break;
    }
    return {UninstallStep::Status::done, "removed " + Foundation::joined(found.names, ", ")};
}

} // namespace Uninstaller
