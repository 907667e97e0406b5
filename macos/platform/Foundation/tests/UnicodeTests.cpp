#include <Foundation/Printable.h>
#include <Foundation/Unicode.h>
#include <gtest/gtest.h>

using namespace Foundation::Unicode;

TEST(Unicode, CharactersAreGraphemeClusters) {
    // e + combining acute, a flag, a family emoji with joiners, and CR LF each count as one.
    const std::string text = "e\u0301🇫🇷👨‍👩‍👧\r\nx";
    EXPECT_EQ(characterCount(text), 5u);
    const auto parts = characters(text);
    ASSERT_EQ(parts.size(), 5u);
    EXPECT_EQ(parts[0], "e\u0301");
    EXPECT_EQ(parts[3], "\r\n");
    EXPECT_EQ(characterPrefix(text, 2), "e\u0301🇫🇷");
    EXPECT_EQ(characterPrefix(text, 0), "");
    EXPECT_EQ(characterPrefix(text, 99), text);
    EXPECT_EQ(characterCount(""), 0u);
    // Invalid bytes count as one replacement character each.
    EXPECT_EQ(characterCount("a\xFF"), 2u);
    // A walk inside another leaves the outer one in its place.
    std::vector<std::size_t> counts;
    forEachCharacter(text, [&](std::string_view character) {
        counts.push_back(characterCount(character));
        return true;
    });
    EXPECT_EQ(counts, (std::vector<std::size_t>(5, 1)));
}

TEST(Unicode, CharacterSetsFollowThePlatform) {
    EXPECT_TRUE(isWhitespace(U' '));
    EXPECT_TRUE(isWhitespace(U'\t'));
    EXPECT_TRUE(isWhitespace(U'\u00A0'));
    EXPECT_TRUE(isWhitespace(U'\u3000'));
    EXPECT_FALSE(isWhitespace(U'\n'));
    EXPECT_FALSE(isWhitespace(U'\u200B'));
    for (const char32_t newline : {U'\n', U'\v', U'\f', U'\r', U'\u0085', U'\u2028', U'\u2029'})
        EXPECT_TRUE(isWhitespaceOrNewline(newline));
    EXPECT_FALSE(isWhitespaceOrNewline(U'x'));
    for (const char32_t control : {U'\0', U'\t', U'\n', U'\u007F', U'\u200B', U'\uFEFF', U'\u00AD'})
        EXPECT_TRUE(isControl(control));
    EXPECT_FALSE(isControl(U' '));
    EXPECT_TRUE(hasWhiteSpaceProperty(U'\u0085'));
    EXPECT_FALSE(hasWhiteSpaceProperty(U'\u200B'));
    EXPECT_TRUE(isPatternSpace(U'\u2028'));
    EXPECT_FALSE(isPatternSpace(U'\v'));
}

TEST(Unicode, TrimsAndCollapsesByScalarSet) {
    EXPECT_EQ(trimmed("\u00A0\t a b \u3000", isWhitespace), "a b");
    EXPECT_EQ(trimmed("\n a \n", isWhitespace), "\n a \n");
    EXPECT_EQ(trimmed("\n a \n", isWhitespaceOrNewline), "a");
    EXPECT_EQ(trimmed(" \t ", isWhitespace), "");
    EXPECT_EQ(collapsingRuns("a \t\n b\u2029\u2028c", isPatternSpace), "a b c");
    EXPECT_EQ(collapsingRuns("a\vb", isPatternSpace), "a\vb");
}

TEST(Unicode, CountsUTF16UnitsAndComparesCanonically) {
    EXPECT_EQ(utf16Length("aé€🦉"), 5u);
    EXPECT_TRUE(canonicallyEquivalent("caf\u00E9", "cafe\u0301"));
    EXPECT_FALSE(canonicallyEquivalent("cafe", "caf\u00E9"));
    // Compatibility forms are not canonical equivalents.
    EXPECT_FALSE(canonicallyEquivalent("\uFB01", "fi"));
    EXPECT_EQ(utf8(scalars("x\u00E9🦉")), "x\u00E9🦉");
    EXPECT_EQ(utf8(std::u32string{U'a', char32_t(0xD800)}), "a\uFFFD");
}

TEST(Unicode, FirstScalarsNewlinesAndLowercase) {
    EXPECT_EQ(firstScalar("é!"), U'é');
    EXPECT_EQ(firstScalar(""), U'\0');
    EXPECT_EQ(firstScalar("\xFF"), U'\uFFFD');
    EXPECT_EQ(firstScalar("\xE2\x82"), U'\uFFFD');
    for (const char32_t newline : {U'\n', U'\v', U'\f', U'\r', U'\u0085', U'\u2028', U'\u2029'})
        EXPECT_TRUE(isNewline(newline));
    EXPECT_FALSE(isNewline(U' '));
    EXPECT_EQ(lowercased("MD.ÄÖ"), "md.äö");
    // The Kelvin sign lowercases to a plain k, whatever the user's language.
    EXPECT_EQ(lowercased("MAR\u212ADOWN"), "markdown");
    std::vector<std::string> seen;
    forEachCharacter("ab\r\nc", [&](std::string_view character) {
        seen.emplace_back(character);
        return seen.size() < 3;
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "\r\n"}));
}

TEST(Unicode, PrefixesAndSuffixesAreWholeCharacters) {
    EXPECT_TRUE(hasPrefix("/bin/node --x", "/bin/node "));
    EXPECT_FALSE(hasPrefix("/bin/nod", "/bin/node"));
    EXPECT_TRUE(hasPrefix("x", ""));
    // A combining mark after the prefix makes its last character another one.
    EXPECT_FALSE(hasPrefix("cafe\u0301", "cafe"));
    EXPECT_TRUE(hasPrefix("cafe\u0301!", "caf\u00E9"));
    EXPECT_FALSE(hasPrefix("a\r\nb", "a\r"));
    EXPECT_EQ(afterPrefix("caf\u00E9 au lait", "cafe\u0301 "), "au lait");
    EXPECT_EQ(afterPrefix("abc", "abc"), "");
    EXPECT_EQ(afterPrefix("abc", "abd"), std::nullopt);

    EXPECT_TRUE(hasSuffix("run # mark", "# mark"));
    EXPECT_FALSE(hasSuffix("run # mark\u0301", "# mark"));
    EXPECT_FALSE(hasSuffix("run # mark ", "# mark"));
    EXPECT_TRUE(hasSuffix("na\u00EFve", "i\u0308ve"));
    EXPECT_FALSE(hasSuffix("a\r\n", "\n"));
    EXPECT_FALSE(hasSuffix("ve", "naive"));
    EXPECT_TRUE(hasSuffix("", ""));
}

TEST(Unicode, ReadsHexDigits) {
    // Each run of digits with its neighbours in ASCII, then a byte past ASCII read as a char.
    const std::string_view text = "/09:@AFG`afg\xC3";
    const int values[] = {-1, 0, 9, -1, -1, 10, 15, -1, -1, 10, 15, -1, -1};
    ASSERT_EQ(text.size(), std::size(values));
    for (std::size_t i = 0; i < text.size(); ++i)
        EXPECT_EQ(hexValue(text[i]), values[i]) << text[i];
}

TEST(Unicode, JoinsSurrogatePairs) {
    // The ends of each surrogate range and their neighbours outside it.
    const struct {
        char32_t unit;
        bool high;
        bool low;
    } units[] = {
        {0xD7FF, false, false}, {0xD800, true, false}, {0xDBFF, true, false},
        {0xDC00, false, true},  {0xDFFF, false, true}, {0xE000, false, false},
    };
    for (const auto& [unit, high, low] : units) {
        EXPECT_EQ(isHighSurrogate(unit), high) << std::hex << std::uint32_t(unit);
        EXPECT_EQ(isLowSurrogate(unit), low) << std::hex << std::uint32_t(unit);
        EXPECT_EQ(isSurrogate(unit), high || low) << std::hex << std::uint32_t(unit);
    }
    EXPECT_EQ(joinSurrogates(0xD800, 0xDC00), U'\U00010000');
    EXPECT_EQ(joinSurrogates(0xD83E, 0xDD89), U'🦉');
    EXPECT_EQ(joinSurrogates(0xDBFF, 0xDFFF), U'\U0010FFFF');
}

TEST(Printable, ControlsAndInvalidBytesShowAsReplacementAndLinesKeepTheirBreaks) {
    const std::string text = "a\tb\nc\r\x1b[2J\xc2\x9b\x7f\xff é";
    EXPECT_EQ(Foundation::printable(text), "a\uFFFDb\uFFFDc\uFFFD\uFFFD[2J\uFFFD\uFFFD\uFFFD é");
    EXPECT_EQ(Foundation::printableLines(text), "a\tb\nc\uFFFD\uFFFD[2J\uFFFD\uFFFD\uFFFD é");
    // Bidirectional controls, which would show "report\u202Efdp.exe" as ending in ".pdf".
    EXPECT_EQ(Foundation::printableLines("report\u202Efdp.exe \u2066\u200F\u061C\u200D"),
              "report\uFFFDfdp.exe \uFFFD\uFFFD\uFFFD\u200D");
}
