#include "DossierIndexDigest.h"

#include "DossierOutbox.h"
#include "ShareTags.h"

#include <JSONCoding/JSONScanner.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string_view>

namespace {

// Without a limit of its own the Dossier holds 2000 items.
constexpr std::int64_t defaultMaxItems = 2000;
constexpr double fullShare = 0.98;

struct Limits {
    std::optional<std::int64_t> item_chars;
    std::optional<double> total_bytes;
    std::optional<double> used_bytes;
    std::optional<std::int64_t> items;
    std::optional<std::int64_t> max_items;
};

bool isFull(const Limits& limits) {
    const std::int64_t count = limits.items.value_or(0);
    const double total = limits.total_bytes.value_or(0);
    const double used = limits.used_bytes.value_or(0);
    return count >= limits.max_items.value_or(defaultMaxItems) ||
           (total > 0 && total * fullShare <= used);
}

// Reads the reply as the scanner meets its values and keeps only the item tags and the limits:
// the relay asks for the index after every share the Dossier takes, and the index grows with the
// Dossier. It decodes as strictly as a record would, and like the parsed object, where a key
// stands twice the last one counts, so a wrong value spoils only the occurrence holding it.
class IndexReader final {
public:
    // The tags of the last "items", and its limits when present.
    std::vector<std::string> tags;
    std::optional<Limits> limits;

    // Whether the whole reply decodes: "items" a list of objects with text tags, and the limits
    // numbers of their kinds.
    bool decodes() const { return m_itemsValid.value_or(false) && m_limitsValid; }

    bool null() { return scalar({Scalar::Kind::null}); }
    bool boolean(bool) { return scalar({Scalar::Kind::boolean}); }
    bool integer(std::int64_t value) {
        return scalar({Scalar::Kind::number, static_cast<double>(value), true, value});
    }
    bool unsignedInteger(std::uint64_t value) {
        const bool fits =
            value <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        return scalar({Scalar::Kind::number, static_cast<double>(value), fits,
                       static_cast<std::int64_t>(fits ? value : 0)});
    }
    bool floating(double value) {
        // Compared as doubles: the bounds of a 64-bit integer are exact powers of two there.
        const bool integral =
            std::trunc(value) == value &&
            value >= static_cast<double>(std::numeric_limits<std::int64_t>::min()) &&
            value < static_cast<double>(std::numeric_limits<std::int64_t>::max()) + 1.0;
        return scalar({Scalar::Kind::number, value, integral,
                       integral ? static_cast<std::int64_t>(value) : 0});
    }
    bool string(std::string_view text) { return scalar({Scalar::Kind::text, 0, false, 0, text}); }

    bool startObject() {
        switch (place()) {
        case Place::top:
            open(Context::index);
            return true;
        case Place::item:
            m_hasTag = false;
            m_tagValid = true;
            open(Context::item);
            return true;
        case Place::limits:
            limits = Limits{};
            m_limitValid.fill(true);
            open(Context::limits);
            return true;
        default:
            return skip();
        }
    }
    bool endObject() {
        const auto closed = close();
        if (closed == Context::item) {
            // A wrong tag spoils the whole list, so its other tags no longer count.
            if (!m_tagValid)
                m_itemsOccurrenceValid = false;
        } else if (closed == Context::limits) {
            m_limitsValid = std::ranges::all_of(m_limitValid, [](bool valid) { return valid; });
        }
        return true;
    }
    bool startArray() {
        switch (place()) {
        case Place::top:
            return false;
        case Place::items:
            tags.clear();
            m_itemsOccurrenceValid = true;
            open(Context::items);
            return true;
        default:
            return skip();
        }
    }
    bool endArray() {
        if (close() == Context::items)
            m_itemsValid = m_itemsOccurrenceValid;
        return true;
    }
    bool key(std::string_view name) {
        if (m_ignoredDepth > 0)
            return true;
        Level& level = m_levels[m_depth - 1];
        level.next = Place::other;
        switch (level.context) {
        case Context::index:
            if (name == "items")
                level.next = Place::items;
            else if (name == "limits")
                level.next = Place::limits;
            break;
        case Context::item:
            if (name == "tag")
                level.next = Place::tag;
            break;
        case Context::limits:
            level.limit =
                static_cast<std::size_t>(std::ranges::find(limitNames, name) - limitNames.begin());
            if (level.limit < limitNames.size())
                level.next = Place::limit;
            break;
        case Context::items:
            break;
        }
        return true;
    }

private:
    // The containers the digest reads; any other value is skipped, however deep.
    enum class Context : std::uint8_t { index, items, item, limits };
    // What the next value is to the digest.
    enum class Place : std::uint8_t { top, items, item, tag, limits, limit, other };
    static constexpr std::array<std::string_view, 5> limitNames = {
        "item_chars", "total_bytes", "used_bytes", "items", "max_items"};

    struct Scalar {
        enum class Kind : std::uint8_t { null, boolean, number, text };
        Kind kind;
        double number = 0;
        bool isInteger = false;
        std::int64_t integer = 0;
        std::string_view text = {};
    };

    struct Level {
        Context context;
        Place next;
        std::size_t limit;
    };
    // The index, its items, an item: the deepest the digest reads.
    std::array<Level, 3> m_levels{};
    std::size_t m_depth = 0;
    // How deep the reader is inside values it skips.
    std::size_t m_ignoredDepth = 0;
    std::optional<bool> m_itemsValid;
    bool m_itemsOccurrenceValid = true;
    bool m_limitsValid = true;
    // Whether the last of the tags is the open item's.
    bool m_hasTag = false;
    bool m_tagValid = true;
    std::array<bool, limitNames.size()> m_limitValid{};

    void open(Context context) {
        m_levels[m_depth++] = {context, context == Context::items ? Place::item : Place::other, 0};
    }

    // Enters a container the digest does not read.
    bool skip() {
        spoil();
        ++m_ignoredDepth;
        return true;
    }

    // The context a container's end closes; nothing for one the digest skips.
    std::optional<Context> close() {
        if (m_ignoredDepth > 0) {
            --m_ignoredDepth;
            return std::nullopt;
        }
        return m_levels[--m_depth].context;
    }

    Place place() const {
        if (m_ignoredDepth > 0)
            return Place::other;
        return m_depth == 0 ? Place::top : m_levels[m_depth - 1].next;
    }

    // Marks the value about to be read, which is of the wrong kind for its place, as spoiling
    // the occurrence it belongs to.
    void spoil() {
        switch (place()) {
        case Place::items:
            m_itemsValid = false;
            break;
        case Place::item:
            m_itemsOccurrenceValid = false;
            break;
        case Place::tag:
            m_tagValid = false;
            break;
        case Place::limits:
            m_limitsValid = false;
            break;
        case Place::limit:
            m_limitValid[m_levels[m_depth - 1].limit] = false;
            break;
        case Place::top:
        case Place::other:
            break;
        }
    }

    bool scalar(const Scalar& value) {
        switch (place()) {
        case Place::top:
            return false;
        case Place::tag:
            m_tagValid = value.kind == Scalar::Kind::null || value.kind == Scalar::Kind::text;
            if (value.kind != Scalar::Kind::text && m_hasTag)
                tags.pop_back();
            else if (value.kind == Scalar::Kind::text && m_hasTag)
                tags.back().assign(value.text);
            else if (value.kind == Scalar::Kind::text)
                tags.emplace_back(value.text);
            m_hasTag = value.kind == Scalar::Kind::text;
            return true;
        case Place::limits:
            limits.reset();
            m_limitsValid = value.kind == Scalar::Kind::null;
            return true;
        case Place::limit:
            limit(value);
            return true;
        case Place::items:
        case Place::item:
            spoil();
            return true;
        case Place::other:
            return true;
        }
        return true;
    }

    void limit(const Scalar& value) {
        const std::size_t index = m_levels[m_depth - 1].limit;
        const bool isNumber = value.kind == Scalar::Kind::number;
        const bool anyNumber = index == 1 || index == 2;
        m_limitValid[index] =
            value.kind == Scalar::Kind::null || (isNumber && (anyNumber || value.isInteger));
        if (anyNumber) {
            auto& field = index == 1 ? limits->total_bytes : limits->used_bytes;
            field = isNumber ? std::optional(value.number) : std::nullopt;
            return;
        }
        auto& field = index == 0   ? limits->item_chars
                      : index == 3 ? limits->items
                                   : limits->max_items;
        field = isNumber && value.isInteger ? std::optional(value.integer) : std::nullopt;
    }
};

} // namespace

std::optional<DossierIndexDigest> DossierIndexDigest::parse(Foundation::Bytes reply) {
    IndexReader reader;
    // An item of the index takes a hundred bytes or more: the tags' room up front spares the
    // list its growing.
    reader.tags.reserve(reply.size() / 100);
    if (!JSONCoding::scan(reply, reader) || !reader.decodes())
        return std::nullopt;
    DossierIndexDigest digest;
    digest.recentTags = ShareTags::recentFromItemTags(reader.tags);
    if (reader.limits) {
        if (const auto chars = reader.limits->item_chars; chars && *chars >= 1)
            digest.itemChars = std::min(*chars, DossierOutbox::maxItemChars);
        digest.full = isFull(*reader.limits);
    }
    return digest;
}
