// The tool's `doctor --json`: what the sample bridge finds of the installation
// under $HOME, printed as one JSON line after a progress line.
//
// The report {"ok", "checks": [{"id", "status", "title", "detail", "fix"}]}
// holds, in order: "bridge" (whether the bridge answers on its socket),
// "config" (only when the data folder has a config.json), "claude" (an
// executable claude on PATH or in ~/.local/bin), "hooks" and, once all are
// in, "hook_test", "mcp" and, once the server is in, "dossier_cmd"; for each
// environment "env:<name>" (its hooks) and "mcp:<name>" (its MCP entry); a
// "config_dir:<folder>" for each ~/.claude-* folder no environment uses yet;
// and "phones" (what the bridge reports of paired phones). A fix proposes an
// action the application carries out, a command for the user, or both. "ok"
// is true, and the run ends with 0, when every check is "ok" or "info".
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace SampleBridge {

// `arguments` follow "doctor".
int runDoctor(const std::vector<std::string>& arguments, std::ostream& output,
              std::ostream& errors);

} // namespace SampleBridge
