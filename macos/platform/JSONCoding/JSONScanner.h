// A strict streaming JSON reader: it walks a document's bytes once and tells a handler what it
// meets, building no values.
//
// It accepts exactly the documents `JSONCoding::parse` accepts: RFC 8259 without comments, an
// optional UTF-8 byte order mark first, only well-formed UTF-8 in texts, surrogate escapes only in
// pairs, and no number that overflows a double; a NUL byte after the top value ends the document
// there. Numbers come with the kind `parse` gives them: without fraction or exponent, a negative
// one that fits 64 bits is an integer and any other that fits is unsigned; the rest are doubles.
// Texts and keys come as views: into the document where they hold no escape, otherwise into a
// buffer the next text reuses, so a view lasts only while the handler call does. The walk is a
// loop, not a recursion, so any depth of nesting costs memory, never stack. A handler call that
// gives false stops the walk, and `scan` gives false.
//
// It serves readers that need a few fields of a large document, often: they keep what they need
// as the values go by, where `parse` would build the whole tree first.
#pragma once

#include <Foundation/Data.h>
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace JSONCoding {

template <class H>
concept ScanHandler = requires(H& handler, std::string_view text, std::int64_t integer,
                               std::uint64_t natural, double floating, bool truth) {
    { handler.startObject() } -> std::same_as<bool>;
    { handler.key(text) } -> std::same_as<bool>;
    { handler.endObject() } -> std::same_as<bool>;
    { handler.startArray() } -> std::same_as<bool>;
    { handler.endArray() } -> std::same_as<bool>;
    { handler.string(text) } -> std::same_as<bool>;
    { handler.integer(integer) } -> std::same_as<bool>;
    { handler.unsignedInteger(natural) } -> std::same_as<bool>;
    { handler.floating(floating) } -> std::same_as<bool>;
    { handler.boolean(truth) } -> std::same_as<bool>;
    { handler.null() } -> std::same_as<bool>;
};

namespace Detail {

// A number with the kind the document gives it.
struct ScannedNumber {
    enum class Kind : std::uint8_t { integer, unsignedInteger, floating };
    Kind kind;
    union {
        std::int64_t integer;
        std::uint64_t unsignedInteger;
        double floating;
    };
};

// The document's bytes, read a token at a time.
class ScanCursor {
public:
    explicit ScanCursor(Foundation::Bytes bytes)
        : m_next(bytes.data()), m_end(bytes.data() + bytes.size()) {}

    // Steps over a byte order mark; false when the document opens with part of one.
    bool skipByteOrderMark();

    // The next byte after white space, taken; -1 at the end.
    int next() {
        skipWhitespace();
        return m_next == m_end ? -1 : *m_next++;
    }

    // Takes the next byte after white space when it is `byte`.
    bool take(std::uint8_t byte) {
        skipWhitespace();
        if (m_next == m_end || *m_next != byte)
            return false;
        ++m_next;
        return true;
    }

    // Reads the rest of a text whose opening quote `next` gave; false when it is malformed.
    bool text(std::string_view& text);
    // Reads the rest of a number whose first byte `next` gave; false when it is malformed.
    bool number(ScannedNumber& number);
    // Whether the rest of a literal whose first letter `next` gave is `rest`.
    bool literal(std::string_view rest);
    // Whether nothing but white space is left, up to the end or a NUL byte.
    bool atEnd();

private:
    const std::uint8_t* m_next;
    const std::uint8_t* m_end;
    std::string m_scratch;

    void skipWhitespace() {
        while (m_next != m_end &&
               (*m_next == ' ' || *m_next == '\n' || *m_next == '\r' || *m_next == '\t'))
            ++m_next;
    }
};

template <class Handler> bool report(Handler& handler, const ScannedNumber& number) {
    switch (number.kind) {
    case ScannedNumber::Kind::integer:
        return handler.integer(number.integer);
    case ScannedNumber::Kind::unsignedInteger:
        return handler.unsignedInteger(number.unsignedInteger);
    case ScannedNumber::Kind::floating:
        return handler.floating(number.floating);
    }
    return false;
}

} // namespace Detail

// Walks the document, telling the handler each value; true when the document is well formed and
// the handler went along to its end.
template <ScanHandler Handler> bool scan(Foundation::Bytes bytes, Handler& handler) {
    Detail::ScanCursor cursor(bytes);
    if (!cursor.skipByteOrderMark())
        return false;
    // The closing byte of each open container, the innermost last.
    std::string open;
    const auto member = [&] {
        if (cursor.next() != '"')
            return false;
        std::string_view name;
        return cursor.text(name) && handler.key(name) && cursor.take(':');
    };
    const auto close = [&](int closing) {
        return closing == '}' ? handler.endObject() : handler.endArray();
    };
    for (;;) {
        switch (const int byte = cursor.next()) {
        case '{':
        case '[': {
            const char closing = byte == '{' ? '}' : ']';
            if (!(closing == '}' ? handler.startObject() : handler.startArray()))
                return false;
            if (cursor.take(closing)) {
                if (!close(closing))
                    return false;
                break;
            }
            if (closing == '}' && !member())
                return false;
            open.push_back(closing);
            continue;
        }
        case '"': {
            std::string_view text;
            if (!cursor.text(text) || !handler.string(text))
                return false;
            break;
        }
        case 't':
            if (!cursor.literal("rue") || !handler.boolean(true))
                return false;
            break;
        case 'f':
            if (!cursor.literal("alse") || !handler.boolean(false))
                return false;
            break;
        case 'n':
            if (!cursor.literal("ull") || !handler.null())
                return false;
            break;
        case '-':
        case '0':
        case '1':
        case '2':
        case '3':
        case '4':
        case '5':
        case '6':
        case '7':
        case '8':
        case '9': {
            Detail::ScannedNumber number;
            if (!cursor.number(number) || !Detail::report(handler, number))
                return false;
            break;
        }
        default:
            return false;
        }
        // A value has ended: close what ends with it, up to the next member.
        for (;;) {
            if (open.empty())
                return cursor.atEnd();
            const int byte = cursor.next();
            if (byte == ',') {
                if (open.back() == '}' && !member())
                    return false;
                break;
            }
            if (byte != open.back())
                return false;
            open.pop_back();
            if (!close(byte))
                return false;
        }
    }
}

} // namespace JSONCoding
