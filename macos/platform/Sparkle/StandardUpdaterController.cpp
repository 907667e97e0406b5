#include "StandardUpdaterController.h"

#include <AppKit/Alert.h>

namespace Sparkle {

StandardUpdaterController::StandardUpdaterController(
    bool startingUpdater, std::weak_ptr<UpdaterDelegate> updaterDelegate,
    std::weak_ptr<StandardUserDriverDelegate> userDriverDelegate)
    : m_updater(std::move(updaterDelegate), std::move(userDriverDelegate)) {
    if (startingUpdater)
        startUpdater();
}

void StandardUpdaterController::startUpdater() {
    const auto failure = m_updater.start();
    if (!failure)
        return;
    // A build that cannot update says so once, as the framework does; the application runs on.
    AppKit::Alert alert;
    alert.setMessageText("Unable to Check for Updates");
    alert.setInformativeText("The updater failed to start: " + *failure);
    alert.runModal();
}

void StandardUpdaterController::checkForUpdates(AppKit::MenuItem&) {
    m_updater.checkForUpdates();
}

} // namespace Sparkle
