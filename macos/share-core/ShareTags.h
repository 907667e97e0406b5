// The tag chips the share sheet offers, and the one cleaning rule for tags.
//
// A tag is cleaned by the one-line rule with at most 60 characters. The
// recent tags come from the Mac-side state (at most 8, cleaned, empty ones
// dropped); the last tag from the extension's state. The chips put the last
// tag first when it is not among the recent ones, then the recent tags
// without repeats, 8 in all at most.
#pragma once

#include "ShareInput.h"
#include "ShareState.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ShareTags {
    std::vector<std::string> recent;
    std::optional<std::string> last;
    std::int64_t itemChars = ShareInput::defaultItemChars;
    bool full = false;

    static constexpr std::size_t chipLimit = 8;
    static constexpr std::size_t tagLimit = 60;

    ShareTags() = default;
    ShareTags(std::vector<std::string> recent, std::optional<std::string> last,
              std::int64_t itemChars, bool full);
    ShareTags(const std::optional<MacShareState>& mac, const ExtensionShareState& ext);

    std::vector<std::string> chips() const;

    static std::string cleanTag(std::string_view text);
    // Whether two texts are one tag: equal under canonical equivalence, so a tag typed in
    // another Unicode form is not a second tag.
    static bool sameTag(std::string_view a, std::string_view b);
    // Whether `tags` holds `tag` by `sameTag`.
    static bool holds(const std::vector<std::string>& tags, std::string_view tag);
    // At most 8 cleaned, non-empty, distinct tags, in the order given.
    static std::vector<std::string> recentFromItemTags(const std::vector<std::string>& tags);

    bool operator==(const ShareTags&) const = default;
};
