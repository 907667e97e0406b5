#include "sample-bridge/Environments.h"

#include "sample-bridge/ClaudeFiles.h"

#include <Foundation/Home.h>
#include <algorithm>

namespace SampleBridge {

namespace {

using ClaudeFiles::Document;

// A name goes into file names and command lines: letters, digits, "-", "_" and ".", and it may
// not look like an option.
bool validName(const std::string& name) {
    if (name.empty() || name.size() > 40 || name.front() == '-' || name.front() == '.')
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || c == '.';
    });
}

int addEnvironment(const std::vector<std::string>& arguments, std::ostream& output,
                   std::ostream& errors) {
    if (arguments.size() != 4 || arguments[2] != "--config-dir") {
        errors << "usage: env add <name> <label> --config-dir <folder>\n";
        return 1;
    }
    const std::string& name = arguments[0];
    const std::string& label = arguments[1];
    const std::filesystem::path folder = arguments[3];
    if (!validName(name)) {
        errors << "sample bridge: “" << name << "” can't name an environment\n";
        return 1;
    }
    if (label.empty() || !folder.is_absolute()) {
        errors << "sample bridge: an environment needs a label and an absolute folder\n";
        return 1;
    }
    auto environments = loadEnvironments();
    if (!environments) {
        errors << "sample bridge: " << ClaudeFiles::shown(environmentsFile())
               << " isn't readable; it was left as it is\n";
        return 1;
    }
    if (std::any_of(environments->begin(), environments->end(),
                    [&](const Environment& known) { return known.name == name; })) {
        errors << "sample bridge: an environment named “" << name << "” already exists\n";
        return 1;
    }
    environments->push_back({name, label, folder.lexically_normal()});
    Document store = {{"environments", Document::array()}};
    for (const auto& environment : *environments)
        store["environments"].push_back({{"name", environment.name},
                                         {"label", environment.label},
                                         {"config_dir", environment.configDir.string()}});
    std::string error;
    if (!ClaudeFiles::writeObject(environmentsFile(), store, error)) {
        errors << "sample bridge: " << error << "\n";
        return 1;
    }
    output << "Added " << name << " (" << label << "): Claude Code in "
           << ClaudeFiles::shown(folder) << " reports here.\n";
    return 0;
}

} // namespace

std::filesystem::path environmentsFile() {
    return Foundation::homeDirectory() / ".kestrelhaven" / "environments.json";
}

std::optional<std::vector<Environment>> loadEnvironments() {
    const auto read = ClaudeFiles::readObject(environmentsFile());
    if (!read.document)
        return std::nullopt;
    std::vector<Environment> environments;
    const auto list = read.document->find("environments");
    if (list == read.document->end())
        return environments;
    if (!list->is_array())
        return std::nullopt;
    for (const auto& entry : *list) {
        if (!entry.is_object() || !entry.value("name", Document()).is_string() ||
            !entry.value("label", Document()).is_string() ||
            !entry.value("config_dir", Document()).is_string())
            return std::nullopt;
        environments.push_back({entry["name"].get<std::string>(), entry["label"].get<std::string>(),
                                entry["config_dir"].get<std::string>()});
    }
    return environments;
}

std::optional<Environment> findEnvironment(const std::string& name) {
    for (auto& environment : loadEnvironments().value_or(std::vector<Environment>{}))
        if (environment.name == name)
            return environment;
    return std::nullopt;
}

int runEnvironmentTool(const std::vector<std::string>& arguments, std::ostream& output,
                       std::ostream& errors) {
    if (!arguments.empty() && arguments[0] == "add")
        return addEnvironment({arguments.begin() + 1, arguments.end()}, output, errors);
    errors << "sample bridge: unknown command\n";
    return 1;
}

} // namespace SampleBridge
