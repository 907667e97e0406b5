// The other Claude Code setups the bridge knows ("environments"), each named,
// labelled and tied to its Claude Code configuration folder.
//
// They are kept in $HOME/.kestrelhaven/environments.json, written atomically.
// A missing store holds none; a store that does not read holds none and is not
// written over. `env add` is the tool's verb that adds one.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace SampleBridge {

struct Environment {
    std::string name;
    std::string label;
    std::filesystem::path configDir;
    bool operator==(const Environment&) const = default;
};

std::filesystem::path environmentsFile();
// Nothing when the store exists but does not read.
std::optional<std::vector<Environment>> loadEnvironments();
std::optional<Environment> findEnvironment(const std::string& name);

// `env add <name> <label> --config-dir <folder>`; `arguments` follow "env".
int runEnvironmentTool(const std::vector<std::string>& arguments, std::ostream& output,
                       std::ostream& errors);

} // namespace SampleBridge
