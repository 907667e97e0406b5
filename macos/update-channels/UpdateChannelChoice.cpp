#include "UpdateChannelChoice.h"

std::optional<UpdateChannelChoice> UpdateChannelChoice::fromRawValue(std::string_view rawValue) {
    for (const UpdateChannelChoice choice : allCases())
        if (choice.rawValue() == rawValue)
            return choice;
    return std::nullopt;
}

std::string_view UpdateChannelChoice::rawValue() const {
    switch (m_value) {
    case automatic:
        return "automatic";
    case appStore:
        return "appstore";
    case testFlight:
        return "testflight";
    case internal:
        return "internal";
    }
    return {};
}

std::string_view UpdateChannelChoice::title() const {
    switch (m_value) {
    case automatic:
        return "Automatic (match my iPhone)";
    case appStore:
        return "App Store";
    case testFlight:
        return "TestFlight";
    case internal:
        return "Internal";
    }
    return {};
}
