// The Settings window's form, bound to a `SettingsModel`.
//
// From the top: the model's problem sentence in red while it has one; the
// bridge's settings in four sections ("Connection", "Sessions",
// "Notifications", "Speech"); the paired phones; the other environments; then
// the Share menu, updates and uninstall sections. Each control reads one field
// of the model's settings (or its fallback while there are none) and, when the
// user changes it, shows the new value at once and posts it under the field's
// own name. Controls over settings a bridge may not know show only while it
// sent them. "Forget" revokes a phone at once; "Remove" on an environment asks
// first, in a dialog over the form. Texts from the bridge are shown exactly as
// they came. The form is 480 points wide and at least 640 high, and loads the
// model each time it comes on screen.
#pragma once

#include "settings/SettingsModel.h"

#include <Foundation/RelativeDateTimeFormatter.h>
#include <SwiftUI/SwiftUI.h>
#include <optional>
#include <string>

struct SettingsView {
    SwiftUI::ObservedObject<SettingsModel> model;
    // The environment whose removal waits for confirmation.
    SwiftUI::State<std::optional<EnvironmentRow>> removing{};

    static constexpr double width = 480;
    static constexpr double minHeight = 640;

    SwiftUI::View body() const;

    // The one relative date formatter of the window ("5 minutes ago"); main thread once made.
    static const Foundation::RelativeDateTimeFormatter& formatter();
    // The phrase for a moment the bridge gives in milliseconds since 1970, relative to now.
    static std::string relative(double milliseconds);

    // The encryption line of a phone row; none for a phone that says nothing of it.
    struct Security {
        std::string text;
        std::string symbol;
        bool legacy = false;
        bool operator==(const Security&) const = default;
    };
    static std::optional<Security> security(const DeviceRow& device);

private:
    using View = SwiftUI::View;
    using Values = SettingsModel::Values;

    // The bridge's settings.
    View connection() const;
    View sessions() const;
    View notifications() const;
    View speech() const;
    // The phones and environments.
    View pairedDevices() const;
    View environments() const;
    View removalDialog(View form) const;
};
