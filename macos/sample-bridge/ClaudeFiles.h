// The files of Claude Code that the sample bridge's tool reads and edits: a
// settings file with its hooks, and a user file with its MCP servers.
//
// Documents keep their members in the order they were written, so an edit
// changes only what it means to. Reading is bounded; a missing file reads as
// an empty object, and a file that is not a JSON object is refused. Writing
// is atomic, keeps an existing file's permissions (0600 for a new one), and
// makes the missing folders (0700).
#pragma once

#include <array>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace SampleBridge::ClaudeFiles {

using Document = nlohmann::ordered_json;

// What ends the command of every hook the bridge installs.
inline constexpr const char* hookMark = "# kestrelhaven-hook";
// The events the bridge hooks, in order.
inline constexpr std::array<const char*, 8> hookEvents = {
    "SessionStart", "UserPromptSubmit",   "Stop",      "Notification", "PermissionRequest",
    "PostToolUse",  "PostToolUseFailure", "SessionEnd"};
// The bridge's entry among Claude Code's MCP servers, and the script it runs.
inline constexpr const char* serverName = "kestrelhaven-channel";
inline constexpr const char* serverScript = "channel-plugin.js";

// Claude Code's files hold settings and a history of projects; far more is not one of them.
inline constexpr std::size_t fileLimit = 16 * 1024 * 1024;

struct Read {
    // The object; nothing when the file is not a JSON object or cannot be read.
    std::optional<Document> document;
    bool existed = false;
};
Read readObject(const std::filesystem::path& path);
// On failure returns false and sets `error` to a sentence.
bool writeObject(const std::filesystem::path& path, const Document& document, std::string& error);

// The events of `hookEvents` that have no hook of ours in a settings document, in order.
std::vector<std::string> missingHooks(const Document& settings);

enum class Server { absent, ours, another };
// Whether the user document lists the bridge's server, and whether it runs our script.
Server server(const Document& user);

// The path with $HOME written as "~".
std::string shown(const std::filesystem::path& path);

} // namespace SampleBridge::ClaudeFiles
