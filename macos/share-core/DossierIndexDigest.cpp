#include "DossierIndexDigest.h"

#include "DossierOutbox.h"
#include "ShareTags.h"

#include <JSONCoding/JSONCoding.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <variant>

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

using JSON = JSONCoding::JSON;

// Reads the reply as the parser meets its values and keeps only the item tags and the limits:
// the relay asks for the index after every share the Dossier takes, and the index grows with the
// Dossier. It decodes as strictly as a record would, and like the parsed object, where a key
// stands twice the last one counts, so a wrong value spoils only the occurrence holding it.
class IndexReader final : public nlohmann::json_sax<JSON> {
public:
    // The tags of the last "items", and its limits when present.
    std::vector<std::string> tags;
    std::optional<Limits> limits;

    // Whether the whole reply decodes: "items" a list of objects with text tags, and the limits
    // numbers of their kinds.
    bool decodes() const { return m_itemsValid.value_or(false) && m_limitsValid; }

    bool null() override { return scalar(std::monostate{}); }
    bool boolean(bool) override { return scalar(Kind::boolean); }
    bool number_integer(number_integer_t value) override {
        return scalar(static_cast<double>(value), std::optional<std::int64_t>(value));
    }
    bool number_unsigned(number_unsigned_t value) override {
        std::optional<std::int64_t> integer;
        if (value <= static_cast<number_unsigned_t>(std::numeric_limits<std::int64_t>::max()))
            integer = static_cast<std::int64_t>(value);
        return scalar(static_cast<double>(value), integer);
    }
    bool number_float(number_float_t value, const string_t&) override {
        std::optional<std::int64_t> integer;
        // Compared as doubles: the bounds of a 64-bit integer are exact powers of two there.
        if (std::trunc(value) == value &&
            value >= static_cast<double>(std::numeric_limits<std::int64_t>::min()) &&
            value < static_cast<double>(std::numeric_limits<std::int64_t>::max()) + 1.0)
            integer = static_cast<std::int64_t>(value);
        return scalar(value, integer);
    }
    bool string(string_t& value) override { return scalar(std::move(value)); }
    bool binary(binary_t&) override { return false; }

    bool start_object(std::size_t) override {
        switch (place()) {
        case Place::top:
            return open(Context::index);
        case Place::item:
            m_tag.reset();
            m_tagValid = true;
            return open(Context::item);
        case Place::limits:
            limits = Limits{};
            m_limitValid.fill(true);
            return open(Context::limits);
        default:
            spoil();
            return open(Context::other);
        }
    }
    bool end_object() override {
        const Context closed = close();
        if (closed == Context::item) {
            if (!m_tagValid)
                m_itemsOccurrenceValid = false;
            else if (m_tag)
                tags.push_back(std::move(*m_tag));
        } else if (closed == Context::limits) {
            m_limitsValid = std::ranges::all_of(m_limitValid, [](bool valid) { return valid; });
        }
        return true;
    }
    bool start_array(std::size_t) override {
        switch (place()) {
        case Place::top:
            return false;
        case Place::items:
            tags.clear();
            m_itemsOccurrenceValid = true;
            return open(Context::items);
        default:
            spoil();
            return open(Context::other);
        }
    }
    bool end_array() override {
        if (close() == Context::items)
            m_itemsValid = m_itemsOccurrenceValid;
        return true;
    }
    bool key(string_t& name) override {
        m_stack.back().key = std::move(name);
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

private:
    enum class Context { index, items, item, limits, other };
    // What the next value is to the digest.
    enum class Place { top, items, item, tag, limits, limit, other };
    enum class Kind { boolean };
    using Scalar = std::variant<std::monostate, Kind, double, std::string>;
    static constexpr std::array<std::string_view, 5> limitNames = {
        "item_chars", "total_bytes", "used_bytes", "items", "max_items"};

    struct Level {
        Context context;
        std::string key;
    };
    std::vector<Level> m_stack;
    std::optional<bool> m_itemsValid;
    bool m_itemsOccurrenceValid = true;
    bool m_limitsValid = true;
    std::optional<std::string> m_tag;
    bool m_tagValid = true;
    std::array<bool, limitNames.size()> m_limitValid{};

    bool open(Context context) {
        m_stack.push_back({context, {}});
        return true;
    }

    Context close() {
        const Context context = m_stack.back().context;
        m_stack.pop_back();
        return context;
    }

    std::size_t limitIndex() const {
        return static_cast<std::size_t>(std::ranges::find(limitNames, m_stack.back().key) -
                                        limitNames.begin());
    }

    Place place() const {
        if (m_stack.empty())
            return Place::top;
        const Level& level = m_stack.back();
        switch (level.context) {
        case Context::index:
            if (level.key == "items")
                return Place::items;
            if (level.key == "limits")
                return Place::limits;
            return Place::other;
        case Context::items:
            return Place::item;
        case Context::item:
            return level.key == "tag" ? Place::tag : Place::other;
        case Context::limits:
            return limitIndex() < limitNames.size() ? Place::limit : Place::other;
        case Context::other:
            return Place::other;
        }
        return Place::other;
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
            m_limitValid[limitIndex()] = false;
            break;
        case Place::top:
        case Place::other:
            break;
        }
    }

    bool scalar(Scalar value, std::optional<std::int64_t> integer = std::nullopt) {
        const bool isNull = std::holds_alternative<std::monostate>(value);
        switch (place()) {
        case Place::top:
            return false;
        case Place::tag:
            m_tag.reset();
            m_tagValid = isNull || std::holds_alternative<std::string>(value);
            if (auto* text = std::get_if<std::string>(&value))
                m_tag = std::move(*text);
            return true;
        case Place::limits:
            limits.reset();
            m_limitsValid = isNull;
            return true;
        case Place::limit:
            limit(value, integer);
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

    void limit(const Scalar& value, std::optional<std::int64_t> integer) {
        const std::size_t index = limitIndex();
        const bool isNumber = std::holds_alternative<double>(value);
        const bool anyNumber = index == 1 || index == 2;
        m_limitValid[index] =
            std::holds_alternative<std::monostate>(value) || (isNumber && (anyNumber || integer));
        if (anyNumber) {
            auto& field = index == 1 ? limits->total_bytes : limits->used_bytes;
            field = isNumber ? std::optional(std::get<double>(value)) : std::nullopt;
            return;
        }
        auto& field = index == 0   ? limits->item_chars
                      : index == 3 ? limits->items
                                   : limits->max_items;
        field = isNumber ? integer : std::nullopt;
    }
};

} // namespace

std::optional<DossierIndexDigest> DossierIndexDigest::parse(Foundation::Bytes reply) {
    IndexReader reader;
    bool parsed = false;
    try {
        parsed = JSON::sax_parse(reply.begin(), reply.end(), &reader);
    } catch (const JSON::exception&) {
        return std::nullopt;
    }
    if (!parsed || !reader.decodes())
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
