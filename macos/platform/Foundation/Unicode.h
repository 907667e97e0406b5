// Unicode text as the system counts and classifies it.
//
// Text is UTF-8 in std::string. A "character" is an extended grapheme cluster
// (CR LF is one), found with ICU's character break rules; a scalar is one
// code point. The character sets are the platform's, by scalar:
//
//   whitespace              space separators (Zs) and tab
//   whitespaceOrNewline     the above and the newlines
//   newline                 U+000A–U+000D, U+0085, U+2028, U+2029
//   control                 general categories Cc and Cf
//   whiteSpaceProperty      the Unicode White_Space property
//   patternSpace            what "\s" matches in the platform's regular
//                           expressions: tab, LF, FF, CR and category Z
//
// Invalid UTF-8 reads as U+FFFD wherever text is taken apart.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Foundation::Unicode {

std::u32string scalars(std::string_view text);
// The text's first scalar; U+0000 for the empty text.
char32_t firstScalar(std::string_view text);
std::string utf8(std::u32string_view scalars);
void appendUTF8(std::string& text, char32_t scalar);

bool isWhitespace(char32_t scalar);
bool isWhitespaceOrNewline(char32_t scalar);
bool isNewline(char32_t scalar);
bool isControl(char32_t scalar);
bool hasWhiteSpaceProperty(char32_t scalar);
bool isPatternSpace(char32_t scalar);

// The value of a hexadecimal digit of either case; -1 for any other scalar.
constexpr int hexValue(char32_t scalar) {
    if (scalar >= U'0' && scalar <= U'9')
        return static_cast<int>(scalar - U'0');
    if (scalar >= U'a' && scalar <= U'f')
        return static_cast<int>(scalar - U'a') + 10;
    if (scalar >= U'A' && scalar <= U'F')
        return static_cast<int>(scalar - U'A') + 10;
    return -1;
}

// UTF-16 surrogates: a high one (U+D800–U+DBFF) then a low one (U+DC00–U+DFFF) stand for one
// scalar past U+FFFF; alone, either is no scalar at all.
constexpr bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
constexpr bool isSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}
// The scalar a high and a low surrogate stand for together.
constexpr char32_t joinSurrogates(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

using ScalarSet = bool (*)(char32_t);

// The text without the scalars of `set` at either end.
std::string trimmed(std::string_view text, ScalarSet set);
// Every run of scalars of `set` replaced by one space.
std::string collapsingRuns(std::string_view text, ScalarSet set);

// The characters of the text, in order.
std::vector<std::string> characters(std::string_view text);
// Calls `visit` with each character in order until it returns false.
void forEachCharacter(std::string_view text, const std::function<bool(std::string_view)>& visit);
std::size_t characterCount(std::string_view text);
// The first `count` characters (all of them when there are fewer).
std::string characterPrefix(std::string_view text, std::size_t count);

std::size_t utf16Length(std::string_view text);

// The text in lowercase by the Unicode rules, independent of the user's language.
std::string lowercased(std::string_view text);

// Equality under canonical equivalence, as the platform's string comparison has it.
bool canonicallyEquivalent(std::string_view a, std::string_view b);

// Prefixes and suffixes as the platform's strings have them: whole characters compared under
// canonical equivalence, so "e\u0301" neither begins with "e" nor ends with "\u0301".
bool hasPrefix(std::string_view text, std::string_view part);
bool hasSuffix(std::string_view text, std::string_view part);
// The rest of the text after `part` when the text begins with it.
std::optional<std::string> afterPrefix(std::string_view text, std::string_view part);

} // namespace Foundation::Unicode
