#include "ShareTags.h"

#include "DossierOutbox.h"
#include "ShareText.h"

#include <Foundation/Unicode.h>
#include <algorithm>
#include <set>

ShareTags::ShareTags(std::vector<std::string> recent, std::optional<std::string> last,
                     std::int64_t itemChars, bool full)
    : recent(std::move(recent)), last(std::move(last)), itemChars(itemChars), full(full) {}

ShareTags::ShareTags(const std::optional<MacShareState>& mac, const ExtensionShareState& ext) {
    if (mac) {
        for (const std::string& tag : mac->recentTags) {
            if (recent.size() == chipLimit)
                break;
            if (std::string cleaned = cleanTag(tag); !cleaned.empty())
                recent.push_back(std::move(cleaned));
        }
        if (mac->itemChars >= 1)
            itemChars = std::min(mac->itemChars, DossierOutbox::maxItemChars);
        full = mac->full;
    }
    if (ext.lastTag) {
        if (std::string cleaned = cleanTag(*ext.lastTag); !cleaned.empty())
            last = std::move(cleaned);
    }
}

std::vector<std::string> ShareTags::chips() const {
    std::vector<std::string> chips;
    if (last && !holds(recent, *last))
        chips.push_back(*last);
    for (const std::string& tag : recent) {
        if (!holds(chips, tag))
            chips.push_back(tag);
    }
    if (chips.size() > chipLimit)
        chips.resize(chipLimit);
    return chips;
}

bool ShareTags::sameTag(std::string_view a, std::string_view b) {
    return Foundation::Unicode::canonicallyEquivalent(a, b);
}

bool ShareTags::holds(const std::vector<std::string>& tags, std::string_view tag) {
    return std::any_of(tags.begin(), tags.end(),
                       [&](const std::string& taken) { return sameTag(taken, tag); });
}

std::string ShareTags::cleanTag(std::string_view text) {
    return ShareText::oneLine(text, tagLimit);
}

std::vector<std::string> ShareTags::recentFromItemTags(const std::vector<std::string>& tags) {
    std::vector<std::string> recent;
    // A Dossier repeats its few tags over many items: each text is cleaned once.
    std::set<std::string_view> seen;
    for (const std::string& tag : tags) {
        if (recent.size() == chipLimit)
            break;
        if (!seen.insert(tag).second)
            continue;
        std::string cleaned = cleanTag(tag);
        if (!cleaned.empty() && !holds(recent, cleaned))
            recent.push_back(std::move(cleaned));
    }
    return recent;
}
