#include "UpdateChannels.h"

#include <algorithm>

namespace UpdateChannels {

namespace {

bool contains(const std::vector<std::string>& phones, std::string_view word) {
    return std::find(phones.begin(), phones.end(), word) != phones.end();
}

} // namespace

UpdateChannelChoice effective(UpdateChannelChoice choice, const std::vector<std::string>& phones) {
    if (choice != UpdateChannelChoice::automatic)
        return choice;
    if (contains(phones, "development"))
        return UpdateChannelChoice::internal;
    if (contains(phones, "testflight"))
        return UpdateChannelChoice::testFlight;
    return UpdateChannelChoice::appStore;
}

std::set<std::string> allowed(UpdateChannelChoice choice, const std::vector<std::string>& phones) {
    switch (effective(choice, phones).value()) {
    case UpdateChannelChoice::internal:
        return {"internal", "testflight"};
    case UpdateChannelChoice::testFlight:
        return {"testflight"};
    case UpdateChannelChoice::automatic:
    case UpdateChannelChoice::appStore:
        break;
    }
    return {};
}

std::string explanation(UpdateChannelChoice choice, const std::vector<std::string>& phones) {
    const UpdateChannelChoice inForce = effective(choice, phones);
    if (choice != UpdateChannelChoice::automatic)
        return "Fixed on " + std::string(inForce.title()) + ", whatever your iPhone runs.";
    switch (inForce.value()) {
    case UpdateChannelChoice::testFlight:
        return "Following your iPhone: a TestFlight build, so TestFlight updates.";
    case UpdateChannelChoice::internal:
        return "Following your iPhone: a development build, so Internal updates.";
    case UpdateChannelChoice::automatic:
    case UpdateChannelChoice::appStore:
        break;
    }
    if (phones.empty())
        return "No paired iPhone has said which build it runs yet, so App Store updates.";
    return "Following your iPhone: the App Store app, so App Store updates.";
}

} // namespace UpdateChannels
