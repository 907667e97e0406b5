// The tool's verbs for containers: adding one, and describing its setup.
//
// `env add <name> <label> --container --json` adds a container environment
// with a new token; `env snippet <name> --json` describes an existing one.
// Both write the container's settings (its URL, token and name) to an
// owner-only file, $HOME/.kestrelhaven/containers/<name>.env, and print the
// setup record on one line: name, label, env_file, url, the configuration as
// docker_run, compose and devcontainer, in_container and its entrypoint
// version, and the notes. A failure prints {"ok": false, "msg": sentence}
// on one line and gives 1; arguments of another shape give 1 with a usage
// line on `errors`. Both start the container's planned check-in
// (CheckIns.h).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace SampleBridge {

// `arguments` follow "env add".
int addContainer(const std::vector<std::string>& arguments, std::ostream& output,
                 std::ostream& errors);
// `arguments` follow "env snippet".
int describeContainer(const std::vector<std::string>& arguments, std::ostream& output,
                      std::ostream& errors);

} // namespace SampleBridge
