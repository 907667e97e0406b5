#include "Updater.h"

#include "TestDouble.h"

#include <AppKit/Alert.h>
#include <Foundation/Bundle.h>

namespace Sparkle {

namespace {

// The Info.plist text under `key` when it is a non-empty text.
std::optional<std::string> infoText(std::string_view key) {
    const auto* value = Foundation::Bundle::main().object(key);
    if (!value || !value->text() || value->text()->empty())
        return std::nullopt;
    return *value->text();
}

void showUnreachableFeed() {
    AppKit::Alert alert;
    alert.setMessageText("Update Error");
    alert.setInformativeText("The update feed could not be reached, so no update information "
                             "was retrieved. Please try again later.");
    alert.runModal();
}

} // namespace

Updater::Updater(std::weak_ptr<UpdaterDelegate> delegate,
                 std::weak_ptr<StandardUserDriverDelegate> userDriverDelegate)
    : m_delegate(std::move(delegate)), m_userDriverDelegate(std::move(userDriverDelegate)) {}

std::optional<std::string> Updater::start() {
    if (m_started)
        return std::nullopt;
    auto feed = infoText("SUFeedURL");
    if (!feed)
        return "Info.plist names no update feed (SUFeedURL).";
    if (!infoText("SUPublicEDKey"))
        return "Info.plist holds no key to check updates with (SUPublicEDKey).";
    m_feedURL = std::move(feed);
    m_started = true;
    if (const auto driverDelegate = m_userDriverDelegate.lock())
        m_gentleReminders = driverDelegate->supportsGentleScheduledUpdateReminders();
    if (auto* testDouble = TestDouble::current())
        ++testDouble->starts;
    return std::nullopt;
}

bool Updater::canCheckForUpdates() const {
    if (!m_started || m_checking)
        return false;
    const auto* testDouble = TestDouble::current();
    return !testDouble || testDouble->canCheck;
}

void Updater::checkForUpdates() {
    check(true);
}

void Updater::checkForUpdatesInBackground() {
    check(false);
}

void Updater::check(bool userInitiated) {
    if (!canCheckForUpdates())
        return;
    m_checking = true;
    std::set<std::string> channels;
    if (const auto delegate = m_delegate.lock())
        channels = delegate->allowedChannels(*this);
    if (auto* testDouble = TestDouble::current()) {
        testDouble->checks.push_back({!userInitiated, channels});
        const auto& offered = testDouble->offered;
        if (offered && (!offered->channel || channels.contains(*offered->channel)))
            show(*offered, userInitiated);
    } else if (userInitiated) {
        showUnreachableFeed();
    }
    m_checking = false;
}

void Updater::show(const AppcastItem& update, bool userInitiated) {
    if (const auto driverDelegate = m_userDriverDelegate.lock())
        driverDelegate->standardUserDriverWillHandleShowingUpdate(
            true, update, {UserUpdateState::Stage::notDownloaded, userInitiated});
    if (auto* testDouble = TestDouble::current())
        testDouble->shown.push_back(update);
}

} // namespace Sparkle
