// An order-preserving JSON model for other programs' files.
//
// The uninstaller takes its own entries out of files it does not own and must
// leave the rest as their owner wrote it. So objects here keep their members
// in document order, repeated keys included, and numbers keep the exact text
// that wrote them (1.50, -0, 1E+3, 007): they are never turned into machine
// numbers. `JSON::parse` is strict and names the byte at which it gave up;
// `serialized` has one fixed layout, two-space indentation with ": " after a
// key, "{}" and "[]" for empty containers and no line feed at the end. A file
// parsed and written again therefore changes only in its whitespace and in
// the form of its escapes.
//
// Texts are UTF-8. Ill-formed UTF-8 inside a string and a surrogate escape
// without its partner are read as U+FFFD, and the parse result says that its
// decode was lossy: writing such a value back would change text that is not
// ours.
//
// Values compare by value: keys and strings under canonical equivalence,
// numbers as their text (1.0 and 1 differ), object members position by
// position.
#pragma once

#include <Foundation/Data.h>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class JSON;

class JSONObject {
public:
    struct Member;

    JSONObject();
    explicit JSONObject(std::vector<Member> members);
    JSONObject(const JSONObject&);
    JSONObject(JSONObject&&) noexcept;
    JSONObject& operator=(const JSONObject&);
    JSONObject& operator=(JSONObject&&) noexcept;
    ~JSONObject();

    const std::vector<Member>& members() const { return m_members; }
    void setMembers(std::vector<Member> members);

    // The three faces of the object's subscript. A read sees the last member with the key; a
    // write replaces that member's value in place (earlier members with the key stay) or
    // appends a new member; removing takes out every member with the key.
    const JSON* find(std::string_view key) const;
    JSON* find(std::string_view key);
    void set(std::string_view key, JSON value);
    void remove(std::string_view key);

    friend bool operator==(const JSONObject& a, const JSONObject& b);

private:
    std::vector<Member> m_members;
};

struct JSONParseError {
    // The 0-based byte offset at which the problem was found.
    std::int64_t offset = 0;
    std::string reason;

    // "<reason> at byte <offset>".
    std::string description() const;
    bool operator==(const JSONParseError&) const = default;
};

struct JSONParseResult;

class JSON {
public:
    enum class Kind : std::uint8_t { object, array, string, number, boolean, null };
    using Array = std::vector<JSON>;

    // null
    JSON();
    JSON(JSONObject object);
    JSON(Array elements);
    static JSON string(std::string text);
    // `text` must be a number as JSON writes it; it is kept, and written, exactly.
    static JSON number(std::string text);
    static JSON boolean(bool value);

    // Parses the whole of `data`; stops at the first problem.
    static JSONParseResult parse(Foundation::Bytes data);
    static JSONParseResult parse(std::string_view text);

    Kind kind() const { return static_cast<Kind>(m_value.index()); }
    bool isNull() const { return kind() == Kind::null; }
    const JSONObject* asObject() const { return std::get_if<objectIndex>(&m_value); }
    JSONObject* asObject() { return std::get_if<objectIndex>(&m_value); }
    const Array* asArray() const { return std::get_if<arrayIndex>(&m_value); }
    Array* asArray() { return std::get_if<arrayIndex>(&m_value); }
    const std::string* asString() const { return std::get_if<stringIndex>(&m_value); }
    // The number's text.
    const std::string* asNumber() const { return std::get_if<numberIndex>(&m_value); }
    std::optional<bool> asBool() const;

    std::string serialized() const;
    // Appends `text` as a quoted JSON string: the short escapes where JSON has them, \u00xx for
    // the other controls, everything else (non-ASCII and "/" included) as itself.
    static void quote(std::string_view text, std::string& into);

    friend bool operator==(const JSON& a, const JSON& b);

private:
    static constexpr std::size_t objectIndex = 0, arrayIndex = 1, stringIndex = 2, numberIndex = 3,
                                 booleanIndex = 4, nullIndex = 5;

    // Alternatives in the order of `Kind`.
    std::variant<JSONObject, Array, std::string, std::string, bool, std::monostate> m_value;
};

struct JSONObject::Member {
    std::string key;
    JSON value;
};

struct JSONParseResult {
    // Nothing when the input is not JSON; `error` then says why.
    std::optional<JSON> value;
    JSONParseError error;
    // Some string held ill-formed UTF-8 or a lone surrogate escape, now U+FFFD.
    bool lossy = false;
};
