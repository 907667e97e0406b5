// The sample bridge's command-line tool: what `node <folder>/cli.js VERB …`
// answers.
//
// `init` prepares the data folder $HOME/.kestrelhaven: it makes it (and any
// missing parent) with mode 0700, or sets an existing one back to 0700, and
// prints one line saying so; when the folder cannot be made it gives 1 with
// the reason on `errors`. `doctor`, `install-hooks`, `install-mcp`,
// `uninstall-mcp` and `env` are answered by their own files (ToolDoctor.h,
// ToolHooks.h, ToolMcp.h, Environments.h). Any other verb gives 1 with
// "sample bridge: unknown command".
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace SampleBridge {

// `arguments` are the verb and what follows it.
int runTool(const std::vector<std::string>& arguments, std::ostream& output, std::ostream& errors);

} // namespace SampleBridge
