#include "sample-bridge/ClaudeFiles.h"

#include <Foundation/FileIO.h>
#include <Foundation/Home.h>
#include <sys/stat.h>

namespace SampleBridge::ClaudeFiles {

namespace {

bool isOurHook(const Document& hook) {
    if (!hook.is_object())
        return false;
    const auto command = hook.find("command");
    return command != hook.end() && command->is_string() &&
           command->get<std::string>().ends_with(hookMark);
}

bool eventHasOurHook(const Document& groups) {
    if (!groups.is_array())
        return false;
    for (const auto& group : groups) {
        if (!group.is_object() || !group.contains("hooks") || !group["hooks"].is_array())
            continue;
        for (const auto& hook : group["hooks"])
            if (isOurHook(hook))
                return true;
    }
    return false;
}

} // namespace

Read readObject(const std::filesystem::path& path) {
    const auto result = Foundation::readRegularFile(path, fileLimit);
    if (!result.data) {
        if (result.failure == Foundation::ReadFailure::Missing)
            return {Document::object(), false};
        return {std::nullopt, true};
    }
    auto parsed = Document::parse(result.data->begin(), result.data->end(), nullptr, false);
    if (!parsed.is_object())
        return {std::nullopt, true};
    return {std::move(parsed), true};
}

bool writeObject(const std::filesystem::path& path, const Document& document, std::string& error) {
    std::error_code folderError;
    if (!Foundation::createFolder(path.parent_path(), &folderError)) {
        error = "couldn't make " + shown(path.parent_path()) + ": " + folderError.message();
        return false;
    }
    struct stat status {};
    const mode_t mode = ::stat(path.c_str(), &status) == 0 ? (status.st_mode & 07777) : 0600;
    const std::string text =
        document.dump(2, ' ', false, Document::error_handler_t::replace) + "\n";
    std::string reason;
    if (!Foundation::writeFileAtomically(path, Foundation::dataFrom(text), mode, &reason)) {
        error = "couldn't write " + shown(path) + ": " + reason;
        return false;
    }
    return true;
}

std::vector<std::string> missingHooks(const Document& settings) {
    const auto hooks = settings.find("hooks");
    const bool hasHooks = hooks != settings.end() && hooks->is_object();
    std::vector<std::string> missing;
    for (const char* event : hookEvents) {
        if (!hasHooks || !hooks->contains(event) || !eventHasOurHook((*hooks)[event]))
            missing.emplace_back(event);
    }
    return missing;
}

Server server(const Document& user) {
    const auto servers = user.find("mcpServers");
    if (servers == user.end() || !servers->is_object() || !servers->contains(serverName))
        return Server::absent;
    const auto& entry = (*servers)[serverName];
    if (entry.is_object() && entry.contains("args") && entry["args"].is_array()) {
        for (const auto& argument : entry["args"])
            if (argument.is_string() &&
                std::filesystem::path(argument.get<std::string>()).filename() == serverScript)
                return Server::ours;
    }
    return Server::another;
}

std::string shown(const std::filesystem::path& path) {
    return Foundation::abbreviatingWithTildeInPath(path.string());
}

} // namespace SampleBridge::ClaudeFiles
