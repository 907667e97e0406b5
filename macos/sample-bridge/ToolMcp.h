// The tool's `install-mcp` and `uninstall-mcp` [--json] [--env <name>]: adds
// the bridge's server to Claude Code's MCP servers, or takes it out.
//
// Without an environment the user file is $HOME/.claude.json, with one the
// .claude.json in that environment's configuration folder. Installing for the
// user's own Claude Code also puts the dossier command in
// $HOME/.local/bin. Removing takes out only an entry that runs our script.
// With "--json" the last output line is the result: {"ok", "results": [{
// "status", "account", "detail"}], "path_fix": {"file", "line"} when
// $HOME/.local/bin is not on PATH, "note"}; a result's status is "failed"
// when its file could not be changed, and the run then ends with 1.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace SampleBridge {

// `arguments` follow the verb.
int installMcp(const std::vector<std::string>& arguments, std::ostream& output,
               std::ostream& errors);
int uninstallMcp(const std::vector<std::string>& arguments, std::ostream& output,
                 std::ostream& errors);

} // namespace SampleBridge
