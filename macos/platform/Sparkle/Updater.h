// The updater: checks the application's update feed and shows what it finds.
//
// It is made and owned by a `StandardUpdaterController`. Starting it reads
// the feed address ("SUFeedURL") and the public key updates are signed with
// ("SUPublicEDKey") from the main bundle's Info.plist; without both, as
// non-empty texts, it does not start and checks nothing. A started updater
// asks its user driver's delegate once whether gentle reminders are shown.
//
// A check asks the updater delegate for the allowed channels, then reads the
// feed. There is no network here: the feed is never reached, so a check the
// user asked for ends in the alert the framework shows when the feed cannot
// be reached, and a background check ends silently. Nothing is checked on a
// schedule, for the same reason. While a `TestDouble` exists, the feed is the
// double's instead (see TestDouble.h). One check runs at a time:
// `canCheckForUpdates` is false while one does, and before a start.
// Main thread only.
#pragma once

#include <Sparkle/Delegates.h>
#include <memory>
#include <optional>
#include <string>

namespace Sparkle {

class Updater {
public:
    Updater(std::weak_ptr<UpdaterDelegate> delegate,
            std::weak_ptr<StandardUserDriverDelegate> userDriverDelegate);
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    // Starts the updater; nothing, or why it cannot start. A started updater stays started.
    std::optional<std::string> start();
    bool isStarted() const { return m_started; }

    bool canCheckForUpdates() const;
    // A check the user asked for: failures are shown.
    void checkForUpdates();
    // A check of the application's own: failures are not shown.
    void checkForUpdatesInBackground();

    // The feed address, once started.
    const std::optional<std::string>& feedURL() const { return m_feedURL; }
    // What the user driver's delegate said at start.
    bool showsGentleReminders() const { return m_gentleReminders; }

private:
    void check(bool userInitiated);
    void show(const AppcastItem& update, bool userInitiated);

    std::weak_ptr<UpdaterDelegate> m_delegate;
    std::weak_ptr<StandardUserDriverDelegate> m_userDriverDelegate;
    std::optional<std::string> m_feedURL;
    bool m_started = false;
    bool m_checking = false;
    bool m_gentleReminders = false;
};

} // namespace Sparkle
