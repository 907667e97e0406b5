#include "uninstall/FileRemovals.h"

#include "relay/DossierShares.h"
#include "service/Bundled.h"

#include <DossierShim.h>
#include <Foundation/AppGroup.h>
#include <Foundation/FileIO.h>
#include <Foundation/SystemTime.h>
#include <Foundation/Trash.h>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace Uninstaller {

namespace {

namespace fs = std::filesystem;

// Anything at all stands at the path, a dangling link included.
bool occupied(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::optional<std::string> trashInTestHome(const fs::path& item, Foundation::Error* error) {
    auto fail = [&](std::error_code code) -> std::optional<std::string> {
        if (error)
            *error = Foundation::posixError(code, "Couldn't move " + item.filename().string() +
                                                      " to the Trash");
        return std::nullopt;
    };
    const fs::path folder = Bundled::home() / ".Trash";
    std::error_code made;
    fs::create_directories(folder, made);
    if (made)
        return fail(made);
    fs::path destination = folder / item.filename();
    if (occupied(destination)) {
        const auto second = static_cast<long long>(std::floor(Foundation::SystemTime::now()));
        destination = folder / (item.filename().string() + " " + std::to_string(second));
    }
    if (const std::error_code moved = Foundation::moveItem(item, destination))
        return fail(moved);
    return destination.filename().string();
}

} // namespace

std::string tilde(const fs::path& path) {
    std::string home = Bundled::home().string();
    while (home.size() > 1 && home.ends_with('/'))
        home.pop_back();
    const std::string text = path.string();
    if (text.size() > home.size() + 1 && text.starts_with(home) && text[home.size()] == '/')
        return "~" + text.substr(home.size());
    return text;
}

std::optional<std::string> trash(const fs::path& item, Foundation::Error* error) {
    if (Bundled::isTestBuild())
        return trashInTestHome(item, error);
    const auto placed = Foundation::trashItem(item, error);
    if (!placed)
        return std::nullopt;
    return placed->filename().string();
}

bool isSocket(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

fs::path dataFolder() {
    return Bundled::home() / ".kestrelhaven";
}

fs::path dossierCommand() {
    return Bundled::home() / ".local" / "bin" / "dossier";
}

fs::path socketPath() {
    return dataFolder() / "bridge.sock";
}

UninstallStep::Result removeDossierShim() {
    const fs::path path = dossierCommand();
    if (!occupied(path))
        return {UninstallStep::Status::notFound, "no such file"};
    if (!DossierShim::isOurs(path.string()))
        return {UninstallStep::Status::notFound, tilde(path) + " is another program's: left alone"};
    if (::unlink(path.c_str()) != 0)
        return {UninstallStep::Status::failed, std::strerror(errno)};
    return {UninstallStep::Status::done, tilde(path) + " removed"};
}

UninstallStep::Result removeSocket() {
    const fs::path socket = socketPath();
    struct stat info {};
    if (::stat(socket.c_str(), &info) != 0)
        return {UninstallStep::Status::notFound, "no socket"};
    if (!isSocket(socket))
        return {UninstallStep::Status::failed, tilde(socket) + " isn't a socket; left alone"};
    if (::unlink(socket.c_str()) != 0)
        return {UninstallStep::Status::failed, std::strerror(errno)};
    return {UninstallStep::Status::done, "removed " + tilde(socket)};
}

UninstallStep::Result trashData() {
    const fs::path folder = dataFolder();
    if (!occupied(folder))
        return {UninstallStep::Status::notFound, "no " + tilde(folder)};
    Foundation::Error error;
    const auto name = trash(folder, &error);
    if (!name)
        return {UninstallStep::Status::failed, error.description};
    return {UninstallStep::Status::done, tilde(folder) + " moved to the Trash as " + *name +
                                             " (hidden: \u21E7\u2318. shows it in Finder)"};
}

UninstallStep::Result trashShares() {
    const auto& group = DossierShares::shared().group();
    const auto container = group ? Foundation::AppGroup::container(*group) : std::nullopt;
    if (!container)
        return {UninstallStep::Status::notFound, "no App Group in this build"};
    std::vector<fs::path> items;
    for (const char* name : {"DossierOutbox", "ShareState"}) {
        if (occupied(*container / name))
            items.push_back(*container / name);
    }
    if (items.empty())
        return {UninstallStep::Status::notFound, "nothing in " + tilde(*container)};
    for (const fs::path& item : items) {
        Foundation::Error error;
        if (!trash(item, &error))
            return {UninstallStep::Status::failed, error.description};
    }
    return {UninstallStep::Status::done, "moved to the Trash from " + tilde(*container)};
}

} // namespace Uninstaller
