// The update-channel policy: which channels of the update feed the updater
// may take, from the user's choice and the builds the paired iPhones run.
//
// The phones' builds come as distribution words, one per phone that reported
// one. Only "development" and "testflight" mean something here (compared
// exactly, letter case included); any other word, such as an App Store
// build's, counts as neither, and neither order nor repetition matters. An
// automatic choice follows the phones: a development build wins over a
// TestFlight one, and without either the App Store release is in force. The
// empty set of channels means the feed's default channel alone, which is
// what the texts call App Store updates. Pure functions; the defaults keys
// are named here so that the updater and the Settings window agree on them.
#pragma once

#include "UpdateChannelChoice.h"

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace UpdateChannels {

// The user default holding the choice's raw value.
inline constexpr std::string_view choiceKey = "updateChannel";
// The user default holding the phones' distribution words, as a list of texts.
inline constexpr std::string_view phonesKey = "updatePhoneDistributions";

// The choice in force.
UpdateChannelChoice effective(UpdateChannelChoice choice, const std::vector<std::string>& phones);
// The channel names the updater may take updates from.
std::set<std::string> allowed(UpdateChannelChoice choice, const std::vector<std::string>& phones);
// The sentence the Settings window shows under the picker.
std::string explanation(UpdateChannelChoice choice, const std::vector<std::string>& phones);

} // namespace UpdateChannels
