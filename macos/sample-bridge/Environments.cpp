#include "sample-bridge/Environments.h"

#include "sample-bridge/CheckIns.h"
#include "sample-bridge/ClaudeFiles.h"
#include "sample-bridge/Containers.h"

#include <Foundation/Home.h>
#include <algorithm>

namespace SampleBridge {

namespace {

using ClaudeFiles::Document;

bool isText(const Document& entry, const char* key) {
    return entry.value(key, Document()).is_string();
}

int addFolder(const std::vector<std::string>& arguments, std::ostream& output,
              std::ostream& errors) {
    if (arguments.size() != 4 || arguments[2] != "--config-dir") {
        errors << "usage: env add <name> <label> --config-dir <folder>\n";
        return 1;
    }
    const std::string& name = arguments[0];
    const std::string& label = arguments[1];
    const std::filesystem::path folder = arguments[3];
    if (!validEnvironmentName(name)) {
        errors << "sample bridge: “" << name << "” can't name an environment\n";
        return 1;
    }
    if (label.empty() || !folder.is_absolute()) {
        errors << "sample bridge: an environment needs a label and an absolute folder\n";
        return 1;
    }
    if (std::string error;
        !addToEnvironments({name, label, folder.lexically_normal(), std::nullopt}, error)) {
        errors << "sample bridge: " << error << "\n";
        return 1;
    }
    output << "Added " << name << " (" << label << "): Claude Code in "
           << ClaudeFiles::shown(folder) << " reports here.\n";
    return 0;
}

bool saveEnvironments(const std::vector<Environment>& environments, std::string& error) {
    Document store = {{"environments", Document::array()}};
    for (const auto& known : environments) {
        Document entry = {{"name", known.name}, {"label", known.label}};
        if (known.configDir)
            entry["config_dir"] = known.configDir->string();
        if (known.token)
            entry["token"] = *known.token;
        store["environments"].push_back(std::move(entry));
    }
    return ClaudeFiles::writeObject(environmentsFile(), store, error);
}

} // namespace

bool validEnvironmentName(const std::string& name) {
    if (name.empty() || name.size() > 40 || name.front() == '-' || name.front() == '.')
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || c == '.';
    });
}

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
        // Either a folder or a token, never both.
        if (!entry.is_object() || !isText(entry, "name") || !isText(entry, "label") ||
            isText(entry, "config_dir") == isText(entry, "token"))
            return std::nullopt;
        Environment environment{entry["name"].get<std::string>(), entry["label"].get<std::string>(),
                                std::nullopt, std::nullopt};
        if (isText(entry, "config_dir"))
            environment.configDir = entry["config_dir"].get<std::string>();
        else
            environment.token = entry["token"].get<std::string>();
        environments.push_back(std::move(environment));
    }
    return environments;
}

std::optional<Environment> findEnvironment(const std::string& name) {
    for (auto& environment : loadEnvironments().value_or(std::vector<Environment>{}))
        if (environment.name == name)
            return environment;
    return std::nullopt;
}

bool addToEnvironments(const Environment& environment, std::string& error) {
    auto environments = loadEnvironments();
    if (!environments) {
        error = ClaudeFiles::shown(environmentsFile()) + " isn't readable; it was left as it is";
        return false;
    }
    if (std::any_of(environments->begin(), environments->end(),
                    [&](const Environment& known) { return known.name == environment.name; })) {
        error = "an environment named “" + environment.name + "” already exists";
        return false;
    }
    environments->push_back(environment);
    return saveEnvironments(*environments, error);
}

bool removeFromEnvironments(const std::string& name, std::string& error) {
    auto environments = loadEnvironments();
    if (!environments) {
        error = ClaudeFiles::shown(environmentsFile()) + " isn't readable; it was left as it is";
        return false;
    }
    if (std::erase_if(*environments,
                      [&](const Environment& known) { return known.name == name; }) == 0) {
        error = "no environment is named “" + name + "”";
        return false;
    }
    return saveEnvironments(*environments, error);
}

int runEnvironmentTool(const std::vector<std::string>& arguments, std::ostream& output,
                       std::ostream& errors) {
    const std::vector<std::string> rest(arguments.begin() + (arguments.empty() ? 0 : 1),
                                        arguments.end());
    if (!arguments.empty() && arguments[0] == "add")
        return std::find(rest.begin(), rest.end(), "--container") != rest.end()
                   ? addContainer(rest, output, errors)
                   : addFolder(rest, output, errors);
    if (!arguments.empty() && arguments[0] == "snippet")
        return describeContainer(rest, output, errors);
    errors << "sample bridge: unknown command\n";
    return 1;
}

nlohmann::json environmentsReply(double now) {
    auto rows = nlohmann::json::array();
    for (const auto& environment : loadEnvironments().value_or(std::vector<Environment>{})) {
        nlohmann::json row = {{"name", environment.name},
                              {"label", environment.label},
                              {"token", environment.token.has_value()},
                              {"sessions", 0}};
        if (environment.configDir)
            row["config_dir"] = environment.configDir->string();
        const auto moments = CheckIns::seen(environment.name, now);
        if (moments.checkedAt)
            row["checked_at"] = *moments.checkedAt;
        if (moments.refusedAt)
            row["refused"] = {{"at", *moments.refusedAt}};
        rows.push_back(std::move(row));
    }
    return {{"environments", std::move(rows)}};
}

} // namespace SampleBridge
