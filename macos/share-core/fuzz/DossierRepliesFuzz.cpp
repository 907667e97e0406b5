// The readers of the bridge's Dossier replies: the POST outcome and the index digest.
#include "DossierIndexDigest.h"
#include "DossierPost.h"
#include "ShareTags.h"
#include "ShareText.h"

#include <JSONCoding/JSONCoding.h>
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// The index as a strictly decoded record: the digest's streaming reader must agree with it on
// whether a reply decodes, and on what it holds.
struct IndexItem {
    std::optional<std::string> tag;

    static IndexItem decode(const JSONCoding::Decoder& d) {
        return {d.optional<std::string>("tag")};
    }
};

// What the limits say, read with the record decoder: the item limit and whether it is full.
struct LimitsVerdict {
    std::int64_t itemChars = 300000;
    bool full = false;

    static LimitsVerdict decode(const JSONCoding::Decoder& d) {
        const auto chars = d.optional<std::int64_t>("item_chars");
        const double total = d.optional<double>("total_bytes").value_or(0);
        return {chars && *chars >= 1 ? std::min<std::int64_t>(*chars, 16777216) : 300000,
                d.optional<std::int64_t>("items").value_or(0) >=
                        d.optional<std::int64_t>("max_items").value_or(2000) ||
                    (total > 0 && total * 0.98 <= d.optional<double>("used_bytes").value_or(0))};
    }
};

struct Index {
    std::vector<IndexItem> items;
    LimitsVerdict limits;

    static Index decode(const JSONCoding::Decoder& d) {
        return {d.required<std::vector<IndexItem>>("items"),
                d.optional<LimitsVerdict>("limits").value_or(LimitsVerdict{})};
    }
};

bool agrees(const std::optional<DossierIndexDigest>& digest, const std::optional<Index>& index) {
    if (digest.has_value() != index.has_value())
        return false;
    if (!index)
        return true;
    std::vector<std::string> tags;
    for (const IndexItem& item : index->items) {
        if (item.tag)
            tags.push_back(*item.tag);
    }
    return digest->recentTags == ShareTags::recentFromItemTags(tags) &&
           digest->itemChars == index->limits.itemChars && digest->full == index->limits.full;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Foundation::Bytes bytes(data, size);
    for (const int status : {201, 400, 404, 500}) {
        const DossierPostOutcome outcome = DossierPostOutcome::from(status, bytes);
        // Only a 201 adds.
        if (status != 201 && std::holds_alternative<DossierPostOutcome::Added>(outcome.value))
            __builtin_trap();
    }
    const auto digest = DossierIndexDigest::parse(bytes);
    if (!agrees(digest, JSONCoding::decode<Index>(bytes)))
        __builtin_trap();
    if (digest) {
        if (digest->recentTags.size() > 8 || digest->itemChars < 1 || digest->itemChars > 16777216)
            __builtin_trap();
    }
    // Shared bytes read as text, too.
    if (const auto text = ShareText::decode(bytes); text && !Foundation::isValidUTF8(*text))
        __builtin_trap();
    return 0;
}
