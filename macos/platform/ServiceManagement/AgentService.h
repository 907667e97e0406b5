// Background agents that the application registers by property-list name.
//
// `AgentService::agent(name)` stands for the LaunchAgent whose property list
// lies in the main bundle at Contents/Library/LaunchAgents/<name>.
// Registering it records it in a per-user registry (.standins/
// servicemanagement under $HOME) and, once approved, loads it into the
// user's launchd domain, which starts its program ("BundleProgram" inside the
// bundle) at once. Unregistering forgets it and boots the job out, which stops
// the program. Approval is given at once, unless a `TestDouble` says the user
// has yet to approve.
//
// Status: not found when the bundle lacks the property list or the agent was
// never registered (or was unregistered); enabled once registered and
// approved; requires approval while registered but not approved. The status
// does not look at launchd: an enabled agent whose job was booted out stays
// enabled until it is registered again.
#pragma once

#include <Foundation/Error.h>
#include <filesystem>
#include <optional>
#include <string>

namespace ServiceManagement {

enum class Status { notRegistered, enabled, requiresApproval, notFound };

class AgentService {
public:
    static AgentService agent(std::string plistName);

    Status status() const;
    // Named so because `register` is a keyword.
    std::optional<Foundation::Error> registerService() const;
    std::optional<Foundation::Error> unregister() const;

    std::filesystem::path plist() const;

private:
    AgentService(std::filesystem::path bundle, std::string plistName);

    std::optional<std::string> label() const;
    std::filesystem::path registration() const;

    std::filesystem::path m_bundle;
    std::string m_plistName;
};

// Opens the Login Items pane of System Settings. Here each opening is recorded in the registry.
void openSystemSettingsLoginItems();
// How many times the Login Items pane was opened for this user.
int loginItemsOpenings();

} // namespace ServiceManagement
