#include "DossierIndexDigest.h"

#include "DossierOutbox.h"
#include "ShareTags.h"

#include <JSONCoding/JSONCoding.h>
#include <algorithm>

namespace {

// Without a limit of its own the Dossier holds 2000 items.
constexpr std::int64_t defaultMaxItems = 2000;
constexpr double fullShare = 0.98;

struct IndexItem {
    std::optional<std::string> tag;

    static IndexItem decode(const JSONCoding::Decoder& d) {
        return {d.optional<std::string>("tag")};
    }
};

struct Limits {
    std::optional<std::int64_t> item_chars;
    std::optional<double> total_bytes;
    std::optional<double> used_bytes;
    std::optional<std::int64_t> items;
    std::optional<std::int64_t> max_items;

    static Limits decode(const JSONCoding::Decoder& d) {
        return {d.optional<std::int64_t>("item_chars"), d.optional<double>("total_bytes"),
                d.optional<double>("used_bytes"), d.optional<std::int64_t>("items"),
                d.optional<std::int64_t>("max_items")};
    }
};

struct Index {
    std::vector<IndexItem> items;
    std::optional<Limits> limits;

    static Index decode(const JSONCoding::Decoder& d) {
        return {d.required<std::vector<IndexItem>>("items"), d.optional<Limits>("limits")};
    }
};

bool isFull(const Limits& limits) {
    const std::int64_t count = limits.items.value_or(0);
    const double total = limits.total_bytes.value_or(0);
    const double used = limits.used_bytes.value_or(0);
    return count >= limits.max_items.value_or(defaultMaxItems) ||
           (total > 0 && total * fullShare <= used);
}

} // namespace

std::optional<DossierIndexDigest> DossierIndexDigest::parse(Foundation::Bytes reply) {
    const auto index = JSONCoding::decode<Index>(reply);
    if (!index)
        return std::nullopt;
    DossierIndexDigest digest;
    std::vector<std::string> tags;
    for (const IndexItem& item : index->items) {
        if (item.tag)
            tags.push_back(*item.tag);
    }
    digest.recentTags = ShareTags::recentFromItemTags(tags);
    if (index->limits) {
        if (const auto chars = index->limits->item_chars; chars && *chars >= 1)
            digest.itemChars = std::min(*chars, DossierOutbox::maxItemChars);
        digest.full = isFull(*index->limits);
    }
    return digest;
}
