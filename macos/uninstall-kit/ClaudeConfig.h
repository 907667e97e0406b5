// How the product's own entries are told apart in Claude Code's files.
//
// Two kinds of entry are the product's: hooks in a settings file (a command
// hook whose command line ends with the marker comment, an HTTP hook that
// calls the bridge's local hook URL on its port), and MCP server entries in
// the user file under the product's two names that run one of its server
// scripts. Everything else stays where it is. The rules work on parsed
// documents only; member lookups take the last member of a name, and groups or
// events are dropped only when taking the product's hooks out emptied them.
#pragma once

#include "JSON.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ClaudeConfig {

inline constexpr std::string_view hookMark = "# kestrelhaven-hook";
inline const std::vector<std::string> mcpServers = {"kestrelhaven-channel", "kestrelhaven-speak"};

// Whether one hook object is the product's, for the bridge listening on `port`.
bool isOurs(const JSON& hook, std::int64_t port);

// Takes the product's hooks out of a settings document; gives how many. The document changes
// only when that is above zero.
int removeOurHooks(JSON& document, std::int64_t port);

// Whether a server entry runs one of the product's server scripts.
bool isOurServer(const JSON& server);

// Those of `names` whose entry in the user document's "mcpServers" is the product's, in the
// order of `names`.
std::vector<std::string> servers(const std::vector<std::string>& names, const JSON& document);

// Removes those of `names` that `servers` finds; gives them.
std::vector<std::string> removeServers(const std::vector<std::string>& names, JSON& document);

} // namespace ClaudeConfig
