// The Settings window's model: the bridge's settings, the tailnet it is on,
// the paired phones, the other environments, and one problem sentence shown
// as a banner.
//
// It is made around the application's one bridge client, which it keeps for
// all its requests, starts empty and asks nothing until `load`. Every
// operation returns at once; the replies arrive on the main queue and fill the
// published fields, which change only on the main thread. A setting changes
// one at a time: `binding` writes the model's own copy at once and posts it,
// and the bridge's reply brings back its full settings. When the save fails,
// the settings go back at once to what the bridge last gave, a banner says the
// change didn't save, and a reload brings what the bridge holds now.
//
// Replies are applied in the order their requests were made, for the settings
// (GET and POST alike), the phones and the environments each: a late reply to
// an older request is dropped once a newer one has been applied; a failed save
// counts as applied when it puts the settings back. A save that failed is
// always reported. The banner keeps its sentence through the reload it starts,
// unless the reload brings a configuration error, which shows instead; a
// reload that fails adds its own sentence after it.
// A devices request that fails empties the phones, so none reads as connected
// while the bridge is down, and marks them not fresh: the Updates section is
// told the phones are unknown rather than that none is paired. Reply handlers
// hold the model weakly: a reply that arrives after it is gone is dropped.
#pragma once

#include "menubar/Bridge.h"
#include "menubar/BridgeRecords.h"
#include "settings/SettingsRecords.h"

#include <SwiftUI/Binding.h>
#include <SwiftUI/ObservableObject.h>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

class SettingsModel final : public SwiftUI::ObservableObject {
public:
    using Values = SettingsReply::Values;

    explicit SettingsModel(std::shared_ptr<Bridge> bridge);

    SwiftUI::Published<std::optional<Values>> values{this};
    SwiftUI::Published<std::optional<std::string>> tailnet{this};
    SwiftUI::Published<std::vector<DeviceRow>> devices{this};
    // True while `devices` is the bridge's answer to the latest devices request applied.
    SwiftUI::Published<bool> devicesFresh{this, false};
    SwiftUI::Published<std::vector<EnvironmentRow>> environments{this};
    SwiftUI::Published<std::optional<std::string>> problem{this};

    const std::shared_ptr<Bridge>& bridge() const { return m_bridge; }
    // The phones, once the bridge has listed them; nothing before that or after a failed request.
    std::optional<std::vector<DeviceRow>> loadedDevices() const;

    // Asks for the settings, the phones and the environments.
    void load();
    void loadEnvironments();
    // Posts one setting: `value` is a text, a boolean or an integer.
    void set(const std::string& key, JSONCoding::JSON value);
    // A binding over one field of `values`, showing `fallback` while there are none; a setting
    // the bridge may leave out shows `fallback` while it is absent.
    template <typename T>
    SwiftUI::Binding<T> binding(T Values::*field, std::string key, T fallback) {
        return bindingOver<T>(field, std::move(key), std::move(fallback));
    }
    template <typename T>
    SwiftUI::Binding<T> binding(std::optional<T> Values::*field, std::string key, T fallback) {
        return bindingOver<T>(field, std::move(key), std::move(fallback));
    }
    // Revokes the phone with this device id.
    void forget(const std::string& deviceId);
    void removeEnvironment(const std::string& name);

    // Request time-outs for the posts, in seconds.
    static constexpr double postTimeout = 3.0;

private:
    // Numbers requests of one kind and tells whether a reply is still the newest applied.
    class ReplyOrder {
    public:
        std::uint64_t next() { return ++m_issued; }
        // Whether the reply to request `number` may be applied; if so it becomes the newest.
        bool admit(std::uint64_t number);

    private:
        std::uint64_t m_issued = 0;
        std::uint64_t m_applied = 0;
    };

    std::weak_ptr<SettingsModel> weakSelf();
    // Shows the field as a `T`, writes `values` at once, and posts the change.
    template <typename T, typename Field>
    SwiftUI::Binding<T> bindingOver(Field Values::*field, std::string key, T fallback);
    // Asks for everything; after a failed save, `failedSave` is its sentence, which the banner
    // keeps through the reply.
    void reload(const std::optional<std::string>& failedSave);
    void loadSettings(const std::optional<std::string>& failedSave);
    void loadDevices();
    void applySettings(const std::optional<SettingsReply>& reply,
                       const std::optional<std::string>& failedSave);
    void applySaved(const std::optional<SettingsReply>& reply, int status, std::uint64_t number);

    std::shared_ptr<Bridge> m_bridge;
    // The settings as the bridge last gave them, which a failed save puts back.
    std::optional<Values> m_held;
    ReplyOrder m_settingsOrder;
    ReplyOrder m_devicesOrder;
    ReplyOrder m_environmentsOrder;
};

template <typename T, typename Field>
SwiftUI::Binding<T> SettingsModel::bindingOver(Field Values::*field, std::string key, T fallback) {
    const auto weak = weakSelf();
    return SwiftUI::Binding<T>(
        [weak, field, fallback]() -> T {
            const auto self = weak.lock();
            if (!self || !self->values.get())
                return fallback;
            const Field& stored = (*self->values.get()).*field;
            if constexpr (std::is_same_v<Field, T>)
                return stored;
            else
                return stored ? *stored : fallback;
        },
        [weak, field, key](const T& value) {
            const auto self = weak.lock();
            if (!self)
                return;
            if (auto changed = self->values.get()) {
                (*changed).*field = value;
                self->values = std::move(changed);
            }
            self->set(key, value);
        });
}
