#include "JSONScanner.h"

#include <Foundation/Unicode.h>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace JSONCoding::Detail {

namespace {

// Bytes a text holds as they are: ASCII from the space on, but the quote and the backslash.
constexpr std::array<bool, 256> plainBytes = [] {
    std::array<bool, 256> plain{};
    for (int byte = 0x20; byte < 0x80; ++byte)
        plain[byte] = byte != '"' && byte != '\\';
    return plain;
}();

// How many of the eight bytes at `bytes` are plain, as above, before the first that is not.
unsigned plainPrefix(const std::uint8_t* bytes) {
    static_assert(std::endian::native == std::endian::little);
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    // Each test marks the high bit of a byte it matches; a borrow can mark bytes above one that
    // matches, never below, so the lowest mark is exact.
    const auto below = [&](std::uint64_t value, std::uint8_t bound) {
        return (value - ones * bound) & ~value & highs;
    };
    const std::uint64_t marks = (word & highs) | below(word, 0x20) | below(word ^ (ones * '"'), 1) |
                                below(word ^ (ones * '\\'), 1);
    return static_cast<unsigned>(std::countr_zero(marks)) / 8;
}

bool isDigit(std::uint8_t byte) {
    return byte >= '0' && byte <= '9';
}

// Whether the eight bytes at `bytes` are all digits, and then their value: a long integer such as
// a time in milliseconds is read a word at a time.
bool eightDigits(const std::uint8_t* bytes, std::uint64_t& value) {
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t tops = 0xF0F0F0F0F0F0F0F0ull;
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    if (((word & tops) | (((word + ones * 6) & tops) >> 4)) != ones * 0x33)
        return false;
    // Pairs of digits, then fours, then all eight.
    word -= ones * '0';
    word = word * 10 + (word >> 8);
    value = (((word & 0x000000FF000000FFull) * 0x000F424000000064ull) +
             (((word >> 16) & 0x000000FF000000FFull) * 0x0000271000000001ull)) >>
            32;
    return true;
}

// The four hex digits of a \u escape, or -1.
int hexQuad(const std::uint8_t* at, const std::uint8_t* end) {
    if (end - at < 4)
        return -1;
    int value = 0;
    for (int index = 0; index < 4; ++index) {
        const int digit = Foundation::Unicode::hexValue(at[index]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

// Appends the character of the escape after a backslash at `at`; the byte after it, or nothing
// for an escape that is not one.
const std::uint8_t* unescape(const std::uint8_t* at, const std::uint8_t* end, std::string& text) {
    if (at == end)
        return nullptr;
    constexpr std::string_view escapes = "\"\\/bfnrt";
    constexpr std::string_view meanings = "\"\\/\b\f\n\r\t";
    if (const std::size_t found = escapes.find(static_cast<char>(*at)); found != escapes.npos) {
        text += meanings[found];
        return at + 1;
    }
    if (*at != 'u')
        return nullptr;
    using namespace Foundation::Unicode;
    const int first = hexQuad(at + 1, end);
    if (first < 0 || isLowSurrogate(static_cast<char32_t>(first)))
        return nullptr;
    at += 5;
    char32_t scalar = static_cast<char32_t>(first);
    if (isHighSurrogate(scalar)) {
        // A high surrogate stands only before the low one it pairs with.
        if (end - at < 2 || at[0] != '\\' || at[1] != 'u')
            return nullptr;
        const int second = hexQuad(at + 2, end);
        if (second < 0 || !isLowSurrogate(static_cast<char32_t>(second)))
            return nullptr;
        at += 6;
        scalar = joinSurrogates(scalar, static_cast<char32_t>(second));
    }
    Foundation::Unicode::appendUTF8(text, scalar);
    return at;
}

// A floating number's text read as the "C" locale reads it; past a double's range this gives
// infinity or zero, where `from_chars` gives no value at all.
double readFloatingInCLocale(const std::uint8_t* begin, const std::uint8_t* end) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    const std::string text(begin, end);
    return strtod_l(text.c_str(), nullptr, cLocale);
}

} // namespace

bool ScanCursor::skipByteOrderMark() {
    static constexpr std::uint8_t mark[] = {0xEF, 0xBB, 0xBF};
    if (m_next == m_end || *m_next != mark[0])
        return true;
    if (m_end - m_next < 3 || std::memcmp(m_next, mark, 3) != 0)
        return false;
    m_next += 3;
    return true;
}

bool ScanCursor::text(std::string_view& text) {
    const std::uint8_t* at = m_next;
    // The bytes since the last escape, not yet in the scratch text.
    const std::uint8_t* run = at;
    bool escaped = false;
    for (;;) {
        if (m_end - at >= 8) {
            const unsigned plain = plainPrefix(at);
            at += plain;
            if (plain == 8)
                continue;
        } else {
            while (at != m_end && plainBytes[*at])
                ++at;
            if (at == m_end)
                return false;
        }
        const std::uint8_t byte = *at;
        if (byte == '"') {
            m_next = at + 1;
            if (escaped) {
                m_scratch.append(run, at);
                text = m_scratch;
            } else {
                text = std::string_view(reinterpret_cast<const char*>(run), at - run);
            }
            return true;
        }
        if (byte == '\\') {
            if (!escaped)
                m_scratch.clear();
            escaped = true;
            m_scratch.append(run, at);
            at = unescape(at + 1, m_end, m_scratch);
            if (!at)
                return false;
            run = at;
            continue;
        }
        if (byte < 0x20)
            return false;
        const std::size_t length =
            Foundation::validUTF8SequenceLength(Foundation::Bytes(at, m_end), 0);
        if (length == 0)
            return false;
        at += length;
    }
}

bool ScanCursor::number(ScannedNumber& number) {
    const std::uint8_t* const begin = m_next - 1;
    const bool negative = *begin == '-';
    const std::uint8_t* at = begin + negative;
    if (at == m_end || !isDigit(*at))
        return false;
    const std::uint8_t* const digits = at;
    // The integer part's value, exact up to 19 digits, which always fit.
    std::uint64_t magnitude = *at - '0';
    if (*at++ != '0') {
        for (std::uint64_t eight; m_end - at >= 8 && eightDigits(at, eight); at += 8)
            magnitude = magnitude * 100000000 + eight;
        for (; at != m_end && isDigit(*at); ++at)
            magnitude = magnitude * 10 + (*at - '0');
    }
    const std::uint8_t* const digitsEnd = at;
    bool integral = true;
    if (at != m_end && *at == '.') {
        if (++at == m_end || !isDigit(*at))
            return false;
        while (at != m_end && isDigit(*at))
            ++at;
        integral = false;
    }
    if (at != m_end && (*at == 'e' || *at == 'E')) {
        if (++at != m_end && (*at == '+' || *at == '-'))
            ++at;
        if (at == m_end || !isDigit(*at))
            return false;
        while (at != m_end && isDigit(*at))
            ++at;
        integral = false;
    }
    m_next = at;
    bool fits = integral;
    if (integral && digitsEnd - digits > 19)
        fits = std::from_chars(reinterpret_cast<const char*>(digits),
                               reinterpret_cast<const char*>(digitsEnd), magnitude)
                   .ec == std::errc{};
    if (fits && !negative) {
        number.kind = ScannedNumber::Kind::unsignedInteger;
        number.unsignedInteger = magnitude;
        return true;
    }
    if (fits && magnitude <= std::uint64_t{1} << 63) {
        number.kind = ScannedNumber::Kind::integer;
        number.integer = static_cast<std::int64_t>(0 - magnitude);
        return true;
    }
    number.kind = ScannedNumber::Kind::floating;
    const auto* const last = reinterpret_cast<const char*>(at);
    const auto read = std::from_chars(reinterpret_cast<const char*>(begin), last, number.floating);
    if (read.ec == std::errc::result_out_of_range)
        number.floating = readFloatingInCLocale(begin, at);
    else if (read.ec != std::errc{} || read.ptr != last)
        return false;
    return std::isfinite(number.floating);
}

bool ScanCursor::literal(std::string_view rest) {
    if (static_cast<std::size_t>(m_end - m_next) < rest.size() ||
        std::memcmp(m_next, rest.data(), rest.size()) != 0)
        return false;
    m_next += rest.size();
    return true;
}

bool ScanCursor::atEnd() {
    skipWhitespace();
    return m_next == m_end || *m_next == 0;
}

} // namespace JSONCoding::Detail
