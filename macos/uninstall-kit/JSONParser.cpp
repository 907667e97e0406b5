// The strict parser behind `JSON::parse`: one pass front to back, looking ahead only for the
// second half of a surrogate pair, stopping at the first problem with its byte offset.
#include "JSON.h"

#include <Foundation/Unicode.h>
#include <array>
#include <cstring>

namespace {

// Thrown inside one parse only; `JSON::parse` turns it into the result's error.
struct ParseFailure {
    JSONParseError error;
};

// Deeper values than this are refused, so nesting never exhausts the stack.
constexpr int maximumDepth = 511;

constexpr bool isWhitespace(std::uint8_t byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

constexpr bool isDigit(std::uint8_t byte) {
    return byte >= '0' && byte <= '9';
}

// Bytes a string takes as they are: all but the quote, the backslash and the controls.
constexpr std::array<bool, 256> plainStringBytes = [] {
    std::array<bool, 256> plain{};
    for (int byte = 0x20; byte < 256; ++byte)
        plain[byte] = byte != '"' && byte != '\\';
    return plain;
}();

class Parser {
public:
    explicit Parser(Foundation::Bytes bytes) : m_bytes(bytes) {}

    JSON document() {
        skipWhitespace();
        JSON result = value(0);
        skipWhitespace();
        if (!atEnd())
            fail("trailing characters");
        return result;
    }

    bool lossy() const { return m_lossy; }

private:
    [[noreturn]] void fail(const char* reason) const { fail(reason, m_offset); }
    [[noreturn]] static void fail(std::string reason, std::size_t at) {
        throw ParseFailure{{static_cast<std::int64_t>(at), std::move(reason)}};
    }

    bool atEnd() const { return m_offset >= m_bytes.size(); }
    std::uint8_t peek() const { return m_bytes[m_offset]; }

    void skipWhitespace() {
        while (!atEnd() && isWhitespace(peek()))
            ++m_offset;
    }

    JSON value(int depth) {
        if (depth > maximumDepth)
            fail("nested too deep");
        if (atEnd())
            fail("unexpected end");
        switch (peek()) {
        case '{':
            return object(depth);
        case '[':
            return array(depth);
        case '"':
            return JSON::string(string());
        case 't':
            literal("true");
            return JSON::boolean(true);
        case 'f':
            literal("false");
            return JSON::boolean(false);
        case 'n':
            literal("null");
            return JSON();
        default:
            if (peek() == '-' || isDigit(peek()))
                return JSON::number(number());
            fail("unexpected character");
        }
    }

    JSONObject object(int depth) {
        expect('{');
        skipWhitespace();
        std::vector<JSONObject::Member> members;
        if (!atEnd() && peek() == '}') {
            ++m_offset;
            return JSONObject(std::move(members));
        }
        for (;;) {
            skipWhitespace();
            if (atEnd() || peek() != '"')
                fail("expected a key");
            std::string key = string();
            skipWhitespace();
            expect(':');
            skipWhitespace();
            members.push_back({std::move(key), value(depth + 1)});
            if (!closeOrContinue('}'))
                return JSONObject(std::move(members));
        }
    }

    JSON::Array array(int depth) {
        expect('[');
        skipWhitespace();
        JSON::Array elements;
        if (!atEnd() && peek() == ']') {
            ++m_offset;
            return elements;
        }
        for (;;) {
            skipWhitespace();
            elements.push_back(value(depth + 1));
            if (!closeOrContinue(']'))
                return elements;
        }
    }

    // After a member or an element: true past a comma, false past the closing bracket.
    bool closeOrContinue(char closing) {
        skipWhitespace();
        if (atEnd())
            fail("unexpected end");
        if (peek() == ',') {
            ++m_offset;
            return true;
        }
        expect(closing);
        return false;
    }

    void expect(char c) {
        if (atEnd() || peek() != static_cast<std::uint8_t>(c))
            fail(std::string("expected ") + c, m_offset);
        ++m_offset;
    }

    void literal(std::string_view word) {
        if (m_bytes.size() - m_offset < word.size() ||
            std::memcmp(m_bytes.data() + m_offset, word.data(), word.size()) != 0)
            fail("expected " + std::string(word), m_offset);
        m_offset += word.size();
    }

    std::string number() {
        const std::size_t start = m_offset;
        if (peek() == '-')
            ++m_offset;
        if (digits() == 0)
            fail("bad number");
        if (!atEnd() && peek() == '.') {
            ++m_offset;
            if (digits() == 0)
                fail("bad number");
        }
        if (!atEnd() && (peek() == 'e' || peek() == 'E')) {
            ++m_offset;
            if (!atEnd() && (peek() == '+' || peek() == '-'))
                ++m_offset;
            if (digits() == 0)
                fail("bad number");
        }
        return std::string(Foundation::textView(m_bytes.subspan(start, m_offset - start)));
    }

    std::size_t digits() {
        const std::size_t start = m_offset;
        while (!atEnd() && isDigit(peek()))
            ++m_offset;
        return m_offset - start;
    }

    std::string string() {
        expect('"');
        std::string buffer;
        std::uint8_t rawBits = 0;
        while (!atEnd()) {
            const std::size_t runStart = m_offset;
            while (!atEnd() && plainStringBytes[peek()]) {
                rawBits |= peek();
                ++m_offset;
            }
            buffer.append(Foundation::textView(m_bytes.subspan(runStart, m_offset - runStart)));
            if (atEnd())
                break;
            const std::uint8_t byte = peek();
            if (byte == '"') {
                ++m_offset;
                return finishString(std::move(buffer), (rawBits & 0x80) != 0);
            }
            if (byte < 0x20)
                fail("control character in a string");
            escape(buffer);
        }
        fail("unterminated string");
    }

    // Raw bytes from 0x80 up may be ill-formed; escapes only ever add well-formed UTF-8.
    std::string finishString(std::string buffer, bool hadRawHighBytes) {
        if (!hadRawHighBytes || Foundation::isValidUTF8(buffer))
            return buffer;
        m_lossy = true;
        return Foundation::decodeUTF8Lossy(buffer);
    }

    void escape(std::string& buffer) {
        if (m_offset + 1 >= m_bytes.size())
            fail("unterminated string", m_bytes.size());
        const std::uint8_t letter = m_bytes[m_offset + 1];
        m_offset += 2;
        switch (letter) {
        case '"':
        case '\\':
        case '/':
            buffer += static_cast<char>(letter);
            return;
        case 'b':
            buffer += '\b';
            return;
        case 'f':
            buffer += '\f';
            return;
        case 'n':
            buffer += '\n';
            return;
        case 'r':
            buffer += '\r';
            return;
        case 't':
            buffer += '\t';
            return;
        case 'u':
            unicodeEscape(buffer);
            return;
        default:
            fail("bad escape");
        }
    }

    void unicodeEscape(std::string& buffer) {
        std::uint32_t unit = hex4();
        if (Foundation::Unicode::isHighSurrogate(unit)) {
            const std::size_t partner = m_offset;
            if (m_bytes.size() - partner >= 6 && m_bytes[partner] == '\\' &&
                m_bytes[partner + 1] == 'u') {
                m_offset = partner + 2;
                const std::uint32_t low = hex4();
                if (Foundation::Unicode::isLowSurrogate(low))
                    unit = Foundation::Unicode::joinSurrogates(unit, low);
                else
                    m_offset = partner;
            }
        }
        if (Foundation::Unicode::isSurrogate(unit)) {
            m_lossy = true;
            unit = 0xFFFD;
        }
        Foundation::Unicode::appendUTF8(buffer, unit);
    }

    std::uint32_t hex4() {
        if (m_bytes.size() - m_offset < 4)
            fail("bad \\u escape");
        std::uint32_t unit = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const int digit = Foundation::Unicode::hexValue(m_bytes[m_offset + i]);
            if (digit < 0)
                fail("bad \\u escape");
            unit = unit << 4 | static_cast<std::uint32_t>(digit);
        }
        m_offset += 4;
        return unit;
    }

    Foundation::Bytes m_bytes;
    std::size_t m_offset = 0;
    bool m_lossy = false;
};

} // namespace

JSONParseResult JSON::parse(Foundation::Bytes data) {
    JSONParseResult result;
    Parser parser(data);
    try {
        result.value = parser.document();
        result.lossy = parser.lossy();
    } catch (ParseFailure& failure) {
        result.error = std::move(failure.error);
    }
    return result;
}

JSONParseResult JSON::parse(std::string_view text) {
    return parse(
        Foundation::Bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}
