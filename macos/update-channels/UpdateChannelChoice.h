// The update channel a user picks: automatic (follow the paired iPhones),
// App Store, TestFlight or internal.
//
// A choice is stored by its raw value ("automatic", "appstore", "testflight",
// "internal"); reading one back compares the whole text exactly, so any other
// text, in another letter case too, is no choice. `title` is what the Settings
// window shows for it.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

class UpdateChannelChoice {
public:
    enum Value : unsigned char { automatic, appStore, testFlight, internal };

    constexpr UpdateChannelChoice(Value value) : m_value(value) {}

    static std::optional<UpdateChannelChoice> fromRawValue(std::string_view rawValue);
    // Every choice, in the order the picker lists them.
    static constexpr std::array<UpdateChannelChoice, 4> allCases() {
        return {automatic, appStore, testFlight, internal};
    }

    constexpr Value value() const { return m_value; }
    std::string_view rawValue() const;
    std::string_view title() const;

    bool operator==(const UpdateChannelChoice&) const = default;

private:
    Value m_value;
};

template <> struct std::hash<UpdateChannelChoice> {
    std::size_t operator()(UpdateChannelChoice choice) const noexcept {
        return std::hash<unsigned char>()(choice.value());
    }
};
