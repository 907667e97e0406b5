// How both programs find the App Group container they share.
//
// Each program reads the group's identifier from its own bundle's Info.plist
// under "KHAppGroup", so both bundles must carry the same value. The
// container is the folder the platform gives for that identifier; there is
// none when the program is not entitled to the group.
#pragma once

#include <Foundation/Bundle.h>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ShareGroup {

constexpr std::string_view infoKey = "KHAppGroup";

// The identifier when the bundle holds a non-empty text under `infoKey`, untrimmed.
std::optional<std::string> identifier(const Foundation::Bundle& bundle);

std::optional<std::filesystem::path> container(std::string_view identifier);

} // namespace ShareGroup
