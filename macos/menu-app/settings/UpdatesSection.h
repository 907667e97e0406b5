// The Settings form's Updates section: the update channel picker and the
// sentence that says which channel is in force and why.
//
// It shows only in a build that updates (`Updater::configured`). The picker
// starts at the stored choice, read once per view state, and writes every
// pick through `Updater::setChoice`. The sentence follows the picker and the
// phones at once: the distribution words of the listed phones paired with
// their own token, or, while that gives none, the words the updater
// remembered. The section also hands the device list to the updater, each
// time it comes on screen and whenever the number of devices changes, so
// the channel follows the phones without waiting for the hourly refresh.
// It hands over only a list that was loaded: `devices` is absent until the
// Settings window's first device reply, and an absent list never wipes the
// remembered phones.
#pragma once

#include "menubar/BridgeRecords.h"
#include "settings/Updater.h"
#include "update-channels/UpdateChannelChoice.h"

#include <SwiftUI/SwiftUI.h>
#include <optional>
#include <string>
#include <vector>

struct UpdatesSection {
    std::optional<std::vector<DeviceRow>> devices{};
    SwiftUI::State<UpdateChannelChoice> choice{Updater::choice()};

    SwiftUI::View body() const;
    std::vector<std::string> phones() const;
};
