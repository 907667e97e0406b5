#include "ShareText.h"

#include "TextReplace.h"

#include <Foundation/Unicode.h>

namespace ShareText {

namespace {

using namespace Foundation;

bool startsWith(Bytes bytes, std::initializer_list<std::uint8_t> mark) {
    return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

// UTF-16 after a byte-order mark, strictly: an odd length or an unpaired surrogate fails.
std::optional<std::string> decodeUTF16(Bytes bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    std::string text;
    text.reserve(bytes.size());
    const auto unitAt = [&](std::size_t at) -> char32_t {
        return bigEndian ? (bytes[at] << 8) | bytes[at + 1] : bytes[at] | (bytes[at + 1] << 8);
    };
    for (std::size_t at = 2; at < bytes.size(); at += 2) {
        char32_t unit = unitAt(at);
        if (Unicode::isLowSurrogate(unit))
            return std::nullopt;
        if (Unicode::isHighSurrogate(unit)) {
            if (at + 2 >= bytes.size())
                return std::nullopt;
            const char32_t low = unitAt(at + 2);
            if (!Unicode::isLowSurrogate(low))
                return std::nullopt;
            unit = Unicode::joinSurrogates(unit, low);
            at += 2;
        }
        Unicode::appendUTF8(text, unit);
    }
    return text;
}

} // namespace

std::optional<std::string> decode(Bytes bytes) {
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF})) {
        const std::string_view rest = textView(bytes.subspan(3));
        if (!isValidUTF8(rest))
            return std::nullopt;
        return std::string(rest);
    }
    if (startsWith(bytes, {0xFF, 0xFE}))
        return decodeUTF16(bytes, false);
    if (startsWith(bytes, {0xFE, 0xFF}))
        return decodeUTF16(bytes, true);
    const std::string_view text = textView(bytes);
    if (!isValidUTF8(text) || text.find('\0') != std::string_view::npos)
        return std::nullopt;
    return std::string(text);
}

bool isBlank(std::string_view text) {
    return Unicode::trimmed(text, Unicode::isWhitespaceOrNewline).empty();
}

std::string normalizedNewlines(std::string text) {
    // Each pass runs only when the text holds what it replaces.
    replaceAll(text, "\u2029", "\n");
    replaceAll(text, "\u2028", "\n");
    replaceAll(text, "\r\n", "\n");
    replaceAll(text, "\r", "\n");
    return text;
}

std::string oneLine(std::string_view text, std::size_t max) {
    std::u32string scalars = Unicode::scalars(text);
    for (char32_t& scalar : scalars) {
        if (Unicode::isControl(scalar))
            scalar = U' ';
    }
    const std::string spaced =
        Unicode::collapsingRuns(Unicode::utf8(scalars), Unicode::isPatternSpace);
    return Unicode::characterPrefix(Unicode::trimmed(spaced, Unicode::isWhitespace), max);
}

} // namespace ShareText
