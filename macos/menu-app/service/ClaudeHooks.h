// Whether the product's hooks are in the user's Claude Code settings file.
//
// The product installs one command hook for each of `events`, each command
// ending with `marker`; installing and removing them is the bridge tool's
// and the uninstaller's work. `state` only reads Bundled::home() +
// ".claude/settings.json": a file that cannot be read counts as no hooks, one
// that is not a JSON object as unreadable, and any other shape that is not
// Claude Code's simply as hooks missing.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace ClaudeHooks {

inline constexpr std::array<const char*, 8> events = {
    "SessionStart", "UserPromptSubmit",   "Stop",      "Notification", "PermissionRequest",
    "PostToolUse",  "PostToolUseFailure", "SessionEnd"};

// What every command hook of the product ends with.
inline constexpr const char* marker = "# kestrelhaven-hook";

struct State {
    enum class Kind { partial, installed, absent, unreadable };

    static State partial(std::vector<std::string> missing) { return {Kind::partial, missing}; }
    static State installed() { return {Kind::installed, {}}; }
    static State absent() { return {Kind::absent, {}}; }
    static State unreadable() { return {Kind::unreadable, {}}; }

    Kind kind = Kind::absent;
    // When partial: the events without the product's hook, in `events` order.
    std::vector<std::string> missing;

    bool operator==(const State&) const = default;
};

State state();

} // namespace ClaudeHooks
