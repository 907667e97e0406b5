// The uninstall steps that take the product out of Claude Code's own files.
//
// Claude Code keeps a settings file (hooks) and a user file (MCP servers) for
// the user, and one more pair in every configuration directory the bridge's
// environments use. Hooks are edited out; MCP servers are first removed with
// Claude Code's own `claude mcp remove`, and whatever it leaves is then
// edited out. Every edit goes through `ConfigFile::edit`, which keeps a backup
// beside the file with the run's stamp. A file that cannot be read is never
// rewritten and its step fails; one that is not JSON holds nothing of ours.
#pragma once

#include "service/ClaudeCode.h"
#include "uninstall/UninstallStep.h"

#include <BridgeConfig.h>
#include <ConfigFile.h>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Uninstaller {

// A Claude Code user file, with the configuration directory it was found in (none for the
// user's own).
struct ClaudeUserFile {
    std::filesystem::path file;
    std::optional<std::string> configDir;
    bool operator==(const ClaudeUserFile&) const = default;
};

// <home>/.claude/settings.json, then settings.json in each configuration directory, in order.
std::vector<std::filesystem::path> settingsFiles(const BridgeConfig& config);
// <home>/.claude.json, then .claude.json in each configuration directory, in order.
std::vector<ClaudeUserFile> claudeJSONFiles(const BridgeConfig& config);

// Takes the product's hooks out of a settings document; "1 hook" or "<n> hooks", or nothing.
ConfigFile::Change hookChange(std::int64_t port);
// The hooks step of one settings file, from its edit.
UninstallStep::Result hooksStep(const EditOutcome& outcome);

// The product's MCP servers in a user file, in the order of `ClaudeConfig::mcpServers`; a file
// that is not JSON holds none.
struct ServersInFile {
    enum class Kind { missing, unreadable, read };
    Kind kind = Kind::missing;
    std::vector<std::string> names;
};
ServersInFile serversIn(const std::filesystem::path& file);

// Gives the user's Claude Code, or none; looking may take seconds.
using FindClaude = std::function<std::optional<ClaudeCode>()>;

// Looks for Claude Code at its first call only, and gives that answer to every later call.
FindClaude lookingOnce();

// What the MCP step would take out of a user file, by its edit's own read, parse, change and
// exactness check: the product's servers, and why they stay when that edit would leave the file
// alone and no Claude Code is found to remove them first. Nothing when the file can't be read,
// isn't JSON or holds none of ours. `findClaude` is called only for a file the edit would leave
// alone.
struct PlannedServers {
    std::vector<std::string> names;
    std::optional<std::string> refusal;
};
std::optional<PlannedServers> plannedServers(const ClaudeUserFile& file,
                                             const FindClaude& findClaude);

// The MCP step of one user file. `findClaude` is called only when the file holds servers of
// ours.
UninstallStep::Result removeServers(const ClaudeUserFile& file, const FindClaude& findClaude,
                                    const std::string& stamp);

} // namespace Uninstaller
