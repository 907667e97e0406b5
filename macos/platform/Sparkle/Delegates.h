// What the update framework tells and asks the application.
//
// An updater asks its updater delegate, at every check, which of the feed's
// channels besides the default one it may take updates from. Its user
// driver, which shows updates to the user, asks its own delegate once at
// start whether the application shows gentle reminders of scheduled updates,
// and tells it before it shows an update. Every method has the framework's
// default, so a delegate implements only what it answers. Main thread only.
#pragma once

#include <optional>
#include <set>
#include <string>

namespace Sparkle {

class Updater;

// One update the feed offers.
struct AppcastItem {
    // The build, as the application's "CFBundleVersion" counts them.
    std::string versionString;
    // The version the user is shown.
    std::string displayVersionString;
    // The feed's channel of the update; none for the default channel, open to everyone.
    std::optional<std::string> channel;

    bool operator==(const AppcastItem&) const = default;
};

// Where the user's session with an update stands when it is shown.
struct UserUpdateState {
    enum class Stage { notDownloaded, downloaded, installing };
    Stage stage = Stage::notDownloaded;
    // The user asked for the check, rather than the schedule or the application.
    bool userInitiated = false;

    bool operator==(const UserUpdateState&) const = default;
};

class UpdaterDelegate {
public:
    virtual ~UpdaterDelegate() = default;
    // The channels besides the default one that updates may come from; by default none.
    virtual std::set<std::string> allowedChannels(const Updater&) { return {}; }
};

class StandardUserDriverDelegate {
public:
    virtual ~StandardUserDriverDelegate() = default;
    // Whether the application reminds the user gently of updates found on schedule, as an
    // application without a Dock icon should; by default not.
    virtual bool supportsGentleScheduledUpdateReminders() const { return false; }
    // Told just before an update is shown; `handleShowingUpdate` is true when the user driver
    // shows it itself.
    virtual void standardUserDriverWillHandleShowingUpdate(bool /*handleShowingUpdate*/,
                                                           const AppcastItem& /*update*/,
                                                           const UserUpdateState& /*state*/) {}
};

} // namespace Sparkle
