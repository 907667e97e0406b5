#include "Desktop.h"

#include <Foundation/Bundle.h>
#include <Foundation/FileIO.h>
#include <Foundation/Home.h>
#include <Foundation/PropertyList.h>
#include <Processes/Processes.h>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace UserNotifications::Desktop {

namespace {

constexpr std::string_view authorizedWord = "authorized";
constexpr std::string_view deniedWord = "denied";

std::string applicationIdentifier() {
    const auto identifier = Foundation::Bundle::main().identifier();
    if (identifier && !identifier->empty() && identifier->front() != '.' &&
        identifier->find('/') == std::string::npos)
        return *identifier;
    return "unidentified";
}

std::filesystem::path decisionFile() {
    return Foundation::homeDirectory() / ".standins" / "usernotifications" /
           (applicationIdentifier() + ".plist");
}

// The first executable file named `name` in the folders of PATH.
std::optional<std::string> onPath(std::string_view name) {
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "";
    while (!folders.empty()) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        folders = colon == std::string_view::npos ? "" : folders.substr(colon + 1);
        if (folder.empty() || folder.front() != '/')
            continue;
        const std::string candidate = std::string(folder) + "/" + std::string(name);
        struct stat status {};
        if (::stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

std::string applicationName() {
    const auto* name = Foundation::Bundle::main().object("CFBundleName");
    if (name && name->text() && !name->text()->empty())
        return *name->text();
    return applicationIdentifier();
}

} // namespace

AuthorizationStatus status() {
    const auto record = Foundation::readPropertyList(decisionFile());
    const auto* word = record ? record->find("Authorization") : nullptr;
    if (!word || !word->text())
        return AuthorizationStatus::notDetermined;
    if (*word->text() == authorizedWord)
        return AuthorizationStatus::authorized;
    if (*word->text() == deniedWord)
        return AuthorizationStatus::denied;
    return AuthorizationStatus::notDetermined;
}

AuthorizationStatus authorize() {
    if (const AuthorizationStatus decided = status(); decided != AuthorizationStatus::notDetermined)
        return decided;
    const bool granted = onPath("notify-send").has_value();
    const auto file = decisionFile();
    const std::string record = Foundation::serializePropertyList(
        Foundation::PropertyList(Foundation::PropertyList::Dictionary{
            {"Authorization", std::string(granted ? authorizedWord : deniedWord)}}));
    // A decision that cannot be kept is asked again next time, as after a reset.
    if (Foundation::createFolder(file.parent_path()))
        Foundation::writeFileAtomically(file, Foundation::dataFrom(record), 0600);
    return granted ? AuthorizationStatus::authorized : AuthorizationStatus::denied;
}

void show(const NotificationRequest& request) {
    Processes::startDetached({"notify-send", "--app-name=" + applicationName(), "--",
                              request.content.title, request.content.body});
}

} // namespace UserNotifications::Desktop
