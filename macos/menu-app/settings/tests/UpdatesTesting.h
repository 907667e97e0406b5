// What the updater's and the Updates section's tests share: a build that
// updates or not, phones as the bridge lists them, and the remembered words.
#pragma once

#include "menubar/BridgeRecords.h"
#include "update-channels/UpdateChannelChoice.h"

#include <Foundation/Bundle.h>
#include <Foundation/UserDefaults.h>
#include <Testing/Testing.h>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

inline void PrintTo(const UpdateChannelChoice& choice, std::ostream* out) {
    *out << choice.rawValue();
}

namespace UpdatesTesting {

using Words = std::vector<std::string>;

inline constexpr const char* feedURL = "https://updates.kestrelhaven.example/appcast.xml";
inline constexpr const char* publicKey = "pB1CiAoTq1kKqmiuyArIDAGXGr0sdyxlXUQ6eBvt1Ns=";

// Makes this process's build one that updates, or not, in the test home.
inline void configure(bool updates) {
    Testing::useTestHome();
    const auto value = [updates](const char* text) {
        return updates ? std::optional<Foundation::PropertyList>(text) : std::nullopt;
    };
    Foundation::Bundle::setMainInfo("SUFeedURL", value(feedURL));
    Foundation::Bundle::setMainInfo("SUPublicEDKey", value(publicKey));
}

inline DeviceRow phone(std::optional<std::string> auth, std::optional<std::string> distribution,
                       bool reportsApp = true) {
    DeviceRow row;
    row.auth = std::move(auth);
    if (reportsApp)
        row.app = DeviceApp{"1.4.0", "212", std::move(distribution)};
    return row;
}

inline std::optional<Words> remembered() {
    return Foundation::UserDefaults::stringList("updatePhoneDistributions");
}

} // namespace UpdatesTesting
