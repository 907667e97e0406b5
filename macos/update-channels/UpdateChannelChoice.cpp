#include "UpdateChannelChoice.h"

#include <iterator>

namespace {

struct Names {
    std::string_view rawValue;
    std::string_view title;
};

// In the order of the cases.
constexpr Names names[] = {
    {"automatic", "Automatic (match my iPhone)"},
    {"appstore", "App Store"},
    {"testflight", "TestFlight"},
    {"internal", "Internal"},
};
static_assert(std::size(names) == UpdateChannelChoice::allCases().size());

} // namespace

std::optional<UpdateChannelChoice> UpdateChannelChoice::fromRawValue(std::string_view rawValue) {
    for (const UpdateChannelChoice choice : allCases())
        if (choice.rawValue() == rawValue)
            return choice;
    return std::nullopt;
}

std::string_view UpdateChannelChoice::rawValue() const {
    return names[m_value].rawValue;
}

std::string_view UpdateChannelChoice::title() const {
    return names[m_value].title;
}
