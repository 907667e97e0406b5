// The standard updater controller: an updater with the framework's own user
// interface, and the action a "Check for Updates…" menu item calls.
//
// The controller owns its updater and holds both delegates weakly, as the
// platform holds delegates. Made with `startingUpdater`, it starts the updater
// at once; otherwise `startUpdater` does, once (later calls do nothing). An
// updater that cannot start is reported in an alert, and the application runs
// on without updates. The menu action checks for updates when the updater can
// check now. Main thread only.
#pragma once

#include <AppKit/MenuItem.h>
#include <Sparkle/Updater.h>
#include <memory>

namespace Sparkle {

class StandardUpdaterController {
public:
    StandardUpdaterController(bool startingUpdater, std::weak_ptr<UpdaterDelegate> updaterDelegate,
                              std::weak_ptr<StandardUserDriverDelegate> userDriverDelegate);
    StandardUpdaterController(const StandardUpdaterController&) = delete;
    StandardUpdaterController& operator=(const StandardUpdaterController&) = delete;

    void startUpdater();
    Updater& updater() { return m_updater; }
    const Updater& updater() const { return m_updater; }

    // The menu item's action ("checkForUpdates:").
    void checkForUpdates(AppKit::MenuItem& sender);

private:
    Updater m_updater;
};

} // namespace Sparkle
