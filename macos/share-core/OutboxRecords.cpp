#include "OutboxRecords.h"

#include "DossierFormat.h"

using JSONCoding::OrderedJSON;

namespace {

void putOptional(OrderedJSON& object, const char* key, const auto& value) {
    if (value)
        object[key] = *value;
}

} // namespace

std::int64_t DossierOutboxItem::minutes() const {
    return DossierFormat::minutes(DossierFormat::words(text));
}

DossierOutboxItem DossierOutboxItem::decode(const JSONCoding::Decoder& d) {
    return {d.required<std::string>("ref"),    d.required<std::string>("title"),
            d.required<std::string>("text"),   d.optional<std::string>("tag"),
            d.optional<std::string>("source"), d.required<double>("created_at")};
}

OrderedJSON DossierOutboxItem::json() const {
    OrderedJSON object = {{"ref", ref}, {"title", title}, {"text", text}};
    putOptional(object, "tag", tag);
    putOptional(object, "source", source);
    object["created_at"] = createdAt;
    return object;
}

std::string_view DossierShareAnswer::word(State state) {
    switch (state) {
    case State::added:
        return "added";
    case State::held:
        return "held";
    case State::refused:
        return "refused";
    }
    return "held";
}

std::optional<DossierShareAnswer::State> DossierShareAnswer::stateNamed(std::string_view word) {
    for (const State state : {State::added, State::held, State::refused}) {
        if (word == DossierShareAnswer::word(state))
            return state;
    }
    return std::nullopt;
}

DossierShareAnswer DossierShareAnswer::decode(const JSONCoding::Decoder& d) {
    const auto state = stateNamed(d.required<std::string>("state"));
    if (!state)
        throw JSONCoding::DecodingError("unknown answer state");
    return {d.required<std::string>("ref"),
            *state,
            d.required<std::string>("msg"),
            d.optional<std::string>("reason"),
            d.optional<std::int64_t>("minutes"),
            d.optional<std::string>("tag"),
            d.required<double>("at")};
}

OrderedJSON DossierShareAnswer::json() const {
    OrderedJSON object = {{"ref", ref}, {"state", word(state)}, {"msg", msg}};
    putOptional(object, "reason", reason);
    putOptional(object, "minutes", minutes);
    putOptional(object, "tag", tag);
    object["at"] = at;
    return object;
}
