// The two file formats of the outbox: an item the extension shares, and the
// answer the menu-bar application writes back for it.
//
// Each is one JSON object. Required keys must be present with their type;
// optional ones may be absent or null and are left out when written; unknown
// keys are ignored. Times are milliseconds since 1970. An answer whose
// "state" is not one of its three words, or whose "minutes" is not whole,
// does not decode.
#pragma once

#include <JSONCoding/JSONCoding.h>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// One share, in the file named after its ref.
struct DossierOutboxItem {
    std::string ref;
    std::string title;
    std::string text;
    std::optional<std::string> tag;
    std::optional<std::string> source;
    double createdAt = 0;

    // The reading time of `text` in minutes, at least 1.
    std::int64_t minutes() const;

    static DossierOutboxItem decode(const JSONCoding::Decoder& d);
    JSONCoding::OrderedJSON json() const;

    bool operator==(const DossierOutboxItem&) const = default;
};

// What became of posting one item.
struct DossierShareAnswer {
    enum class State { added, held, refused };

    std::string ref;
    State state = State::held;
    std::string msg;
    std::optional<std::string> reason;
    std::optional<std::int64_t> minutes;
    std::optional<std::string> tag;
    double at = 0;

    // The state's JSON word, and the state of a word.
    static std::string_view word(State state);
    static std::optional<State> stateNamed(std::string_view word);

    static DossierShareAnswer decode(const JSONCoding::Decoder& d);
    JSONCoding::OrderedJSON json() const;

    bool operator==(const DossierShareAnswer&) const = default;
};
