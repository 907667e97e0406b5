#include "settings/Updater.h"

#include "service/Setup.h"
#include "update-channels/UpdateChannels.h"

#include <AppKit/Application.h>
#include <Dispatch/DispatchQueue.h>
#include <Foundation/Bundle.h>
#include <Foundation/URL.h>
#include <Foundation/UserDefaults.h>
#include <charconv>

namespace Defaults = Foundation::UserDefaults;

namespace {

// The host as the platform gives it, its escapes decoded: "ex%61mple.invalid" is under
// ".invalid" as much as "example.invalid" is. The URL's host holds "%" only before two hex
// digits.
std::string decodedHost(std::string_view host) {
    std::string decoded;
    for (std::size_t i = 0; i < host.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(host[i]);
        if (byte == '%' && i + 2 < host.size()) {
            std::from_chars(host.data() + i + 1, host.data() + i + 3, byte, 16);
            i += 2;
        }
        decoded += static_cast<char>(byte);
    }
    return decoded;
}

} // namespace

Updater& Updater::shared() {
    // Never destroyed: the framework and the timer reach it until the process ends.
    static auto* updater = new std::shared_ptr<Updater>(new Updater);
    return **updater;
}

bool Updater::configured() {
    return configured(Foundation::Bundle::main().info());
}

bool Updater::configured(const Foundation::PropertyList::Dictionary& info) {
    const auto lookUp = [&](std::string_view key) -> const Foundation::PropertyList* {
        const auto found = info.find(key);
        return found == info.end() ? nullptr : &found->second;
    };
    const auto* feed = lookUp("SUFeedURL");
    if (!feed || !feed->text())
        return false;
    const auto url = Foundation::URL::parse(*feed->text());
    if (!url || url->scheme() != "https" || !url->host() ||
        decodedHost(*url->host()).ends_with(".invalid"))
        return false;
    const auto* key = lookUp("SUPublicEDKey");
    return key && key->text() && !key->text()->empty();
}

void Updater::start(const std::shared_ptr<AppKit::Menu>& menu,
                    const std::shared_ptr<Bridge>& bridge) {
    if (!configured() || m_controller)
        return;
    m_bridge = bridge;
    const auto self = shared_from_this();
    m_controller = std::make_shared<Sparkle::StandardUpdaterController>(true, self, self);
    menu->insertItem(AppKit::MenuItem::make(
                         "Check for Updates…",
                         AppKit::targetAction(
                             m_controller, &Sparkle::StandardUpdaterController::checkForUpdates)),
                     Setup::menuIndex(*menu));
    refreshPhones();
    m_refresh =
        Dispatch::RunLoop::main().schedule(refreshInterval, true, [weak = weak_from_this()] {
            if (const auto updater = weak.lock())
                updater->refreshPhones();
        });
}

void Updater::refreshPhones() {
    if (!m_bridge)
        return;
    m_bridge->fetch<DeviceLists>("/devices", "GET", [](std::optional<DeviceLists> reply) {
        if (!reply)
            return;
        auto devices = reply->find("devices");
        if (devices == reply->end())
            return;
        Dispatch::DispatchQueue::main().async(
            [rows = std::move(devices->second)] { remember(rows); });
    });
}

UpdateChannelChoice Updater::choice() {
    const auto stored = Defaults::string(UpdateChannels::choiceKey);
    return UpdateChannelChoice::fromRawValue(stored.value_or(""))
        .value_or(UpdateChannelChoice::automatic);
}

void Updater::setChoice(UpdateChannelChoice choice) {
    Defaults::setString(UpdateChannels::choiceKey, std::string(choice.rawValue()));
    checkInBackground();
}

std::vector<std::string> Updater::distributions(const std::vector<DeviceRow>& devices) {
    std::vector<std::string> words;
    for (const DeviceRow& device : devices)
        if (device.auth == "token" && device.app && device.app->distribution)
            words.push_back(*device.app->distribution);
    return words;
}

std::vector<std::string> Updater::rememberedDistributions() {
    return Defaults::stringList(UpdateChannels::phonesKey).value_or(std::vector<std::string>{});
}

void Updater::remember(const std::vector<DeviceRow>& devices) {
    auto words = distributions(devices);
    if (words == rememberedDistributions())
        return;
    Defaults::setStringList(UpdateChannels::phonesKey, std::move(words));
    checkInBackground();
}

void Updater::checkInBackground() {
    const auto& controller = shared().m_controller;
    if (!controller)
        return;
    auto& updater = controller->updater();
    if (updater.canCheckForUpdates())
        updater.checkForUpdatesInBackground();
}

std::set<std::string> Updater::allowedChannels(const Sparkle::Updater&) {
    return UpdateChannels::allowed(choice(), rememberedDistributions());
}

void Updater::standardUserDriverWillHandleShowingUpdate(bool handleShowingUpdate,
                                                        const Sparkle::AppcastItem&,
                                                        const Sparkle::UserUpdateState&) {
    if (handleShowingUpdate)
        AppKit::Application::shared().activate(true);
}
