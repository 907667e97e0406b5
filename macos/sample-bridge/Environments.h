// The other Claude Code setups the bridge knows ("environments"), each named
// and labelled: a Claude Code configuration folder on this Mac, or a
// container that reports with a token of its own.
//
// They are kept in $HOME/.kestrelhaven/environments.json, written atomically.
// A missing store holds none; a store that does not read holds none and is not
// written over. `env add` is the tool's verb that adds one (a container's
// verbs are in Containers.h); `environmentsReply` is the server's list.
#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace SampleBridge {

struct Environment {
    std::string name;
    std::string label;
    // Claude Code's configuration folder; none for a container.
    std::optional<std::filesystem::path> configDir;
    // A container's own token; none for a folder on this Mac.
    std::optional<std::string> token;
    bool operator==(const Environment&) const = default;
};

std::filesystem::path environmentsFile();
// Nothing when the store exists but does not read.
std::optional<std::vector<Environment>> loadEnvironments();
std::optional<Environment> findEnvironment(const std::string& name);
// Adds `environment` to the store. On failure returns false and sets `error` to a sentence
// (the name is taken, or the store does not read or write).
bool addToEnvironments(const Environment& environment, std::string& error);
// Takes the environment named `name` out of the store. On failure returns false and sets `error`
// to a sentence (none has that name, or the store does not read or write).
bool removeFromEnvironments(const std::string& name, std::string& error);
// A name goes into file names and command lines: letters, digits, "-", "_" and ".", at most
// 40, and it may not look like an option or a hidden file.
bool validEnvironmentName(const std::string& name);

// `env add <name> <label> --config-dir <folder>`, `env add <name> <label> --container --json`
// and `env snippet <name> --json`; `arguments` follow "env".
int runEnvironmentTool(const std::vector<std::string>& arguments, std::ostream& output,
                       std::ostream& errors);

// GET /environments at `now` (milliseconds since 1970): {"environments": rows}, each row with
// its name, label, whether it has a token, its folder, no live sessions, and a container's
// check-in ("checked_at") and refusal ("refused": {"at"}) once they have come.
nlohmann::json environmentsReply(double now);

} // namespace SampleBridge
