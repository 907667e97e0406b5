#include "JSON.h"

#include <gtest/gtest.h>

namespace {

// The parse error's description, or "ok".
std::string errorOf(std::string_view input) {
    const auto result = JSON::parse(input);
    return result.value ? "ok" : result.error.description();
}

JSON parsed(std::string_view input) {
    auto result = JSON::parse(input);
    EXPECT_TRUE(result.value) << result.error.description();
    return result.value.value_or(JSON());
}

std::string parsedString(std::string_view input) {
    const JSON value = parsed(input);
    return value.asString() ? *value.asString() : "<not a string>";
}

std::string nested(int depth, std::string_view inner) {
    return std::string(depth, '[') + std::string(inner) + std::string(depth, ']');
}

} // namespace

TEST(JSONParse, EndsAndTrailingCharacters) {
    EXPECT_EQ(errorOf(""), "unexpected end at byte 0");
    EXPECT_EQ(errorOf("  "), "unexpected end at byte 2");
    EXPECT_EQ(errorOf("["), "unexpected end at byte 1");
    EXPECT_EQ(errorOf("[1"), "unexpected end at byte 2");
    EXPECT_EQ(errorOf("{\"a\":1 "), "unexpected end at byte 7");
    EXPECT_EQ(errorOf("{} x"), "trailing characters at byte 3");
    EXPECT_EQ(errorOf("1 2"), "trailing characters at byte 2");
    EXPECT_EQ(errorOf(" \t\r\n{}\n"), "ok");
}

TEST(JSONParse, UnexpectedCharactersAndKeys) {
    EXPECT_EQ(errorOf("[1,]"), "unexpected character at byte 3");
    EXPECT_EQ(errorOf("+1"), "unexpected character at byte 0");
    // A byte-order mark and the other Unicode spaces are not whitespace.
    EXPECT_EQ(errorOf("\xEF\xBB\xBF{}"), "unexpected character at byte 0");
    EXPECT_EQ(errorOf("\f{}"), "unexpected character at byte 0");
    EXPECT_EQ(errorOf("{\"a\":1,}"), "expected a key at byte 7");
    EXPECT_EQ(errorOf("{1:2}"), "expected a key at byte 1");
    EXPECT_EQ(errorOf("{\"a\":1,"), "expected a key at byte 7");
    EXPECT_EQ(errorOf("{"), "expected a key at byte 1");
    EXPECT_EQ(errorOf("{\"a\" 1}"), "expected : at byte 5");
    EXPECT_EQ(errorOf("{\"a\""), "expected : at byte 4");
    EXPECT_EQ(errorOf("[1 2]"), "expected ] at byte 3");
    EXPECT_EQ(errorOf("{\"a\":1 \"b\":2}"), "expected } at byte 7");
}

TEST(JSONParse, LiteralsAndNumbers) {
    EXPECT_EQ(errorOf("tru"), "expected true at byte 0");
    EXPECT_EQ(errorOf("[nul]"), "expected null at byte 1");
    EXPECT_EQ(errorOf("fals"), "expected false at byte 0");
    EXPECT_EQ(errorOf("trux"), "expected true at byte 0");
    // What follows a literal is the caller's business.
    EXPECT_EQ(errorOf("truex"), "trailing characters at byte 4");
    EXPECT_EQ(errorOf("-"), "bad number at byte 1");
    EXPECT_EQ(errorOf("1."), "bad number at byte 2");
    EXPECT_EQ(errorOf("1e+"), "bad number at byte 3");
    EXPECT_EQ(errorOf("-.5"), "bad number at byte 1");
    EXPECT_EQ(errorOf("1.e3"), "bad number at byte 2");
    EXPECT_EQ(errorOf("1E"), "bad number at byte 2");

    const JSON numbers = parsed("[1.50, -0, 1E+3, 007, 1e-7, 123456789012345678901234567890]");
    std::vector<std::string> texts;
    for (const JSON& number : *numbers.asArray())
        texts.push_back(*number.asNumber());
    EXPECT_EQ(texts, (std::vector<std::string>{"1.50", "-0", "1E+3", "007", "1e-7",
                                               "123456789012345678901234567890"}));
    EXPECT_EQ(parsed("true"), JSON::boolean(true));
    EXPECT_EQ(parsed("false"), JSON::boolean(false));
    EXPECT_TRUE(parsed("null").isNull());
}

TEST(JSONParse, StringsAndEscapes) {
    EXPECT_EQ(errorOf("\"a\\qb\""), "bad escape at byte 4");
    EXPECT_EQ(errorOf("\"abc"), "unterminated string at byte 4");
    EXPECT_EQ(errorOf("\"ab\\"), "unterminated string at byte 4");
    EXPECT_EQ(errorOf("\"a\nb\""), "control character in a string at byte 2");
    EXPECT_EQ(errorOf("\"\\u12\""), "bad \\u escape at byte 3");
    EXPECT_EQ(errorOf("\"\\u12g4\""), "bad \\u escape at byte 3");

    EXPECT_EQ(parsedString(R"("\"\\\/\b\f\n\r\t")"), "\"\\/\b\f\n\r\t");
    EXPECT_EQ(parsedString(R"("\u00e9\u00C9x")"), "\u00e9\u00c9x");
    // DEL and every byte from 0x80 up are taken as they are.
    EXPECT_EQ(parsedString("\"\x7F\xC3\xA9\""), "\x7F\u00e9");
}

TEST(JSONParse, SurrogatesPairOrBecomeReplacementCharacters) {
    EXPECT_EQ(parsedString(R"("\uD83D\uDE00")"), "\U0001F600");
    EXPECT_FALSE(JSON::parse(R"("\uD83D\uDE00")").lossy);

    EXPECT_EQ(parsedString(R"("\uD800")"), "\uFFFD");
    EXPECT_EQ(parsedString(R"("\uD800\u0041")"), "\uFFFDA");
    EXPECT_EQ(parsedString(R"("\uDC00")"), "\uFFFD");
    EXPECT_EQ(parsedString(R"("\uD800\uD800\uDC00")"), "\uFFFD\U00010000");
    EXPECT_TRUE(JSON::parse(R"("\uDC00")").lossy);
    // Too short to hold a second escape: the first stands alone, the second fails on its own.
    EXPECT_EQ(errorOf(R"("\uD800\u00")"), "bad \\u escape at byte 9");
    // Long enough to be read as the partner, which then fails.
    EXPECT_EQ(errorOf(R"("\uD800\u00xyz")"), "bad \\u escape at byte 9");
}

TEST(JSONParse, IllFormedUTF8IsReplacedAndReported) {
    const auto result = JSON::parse("{\"k\xFF\": \"a\xC3\"}");
    ASSERT_TRUE(result.value);
    EXPECT_TRUE(result.lossy);
    const auto& member = result.value->asObject()->members().front();
    EXPECT_EQ(member.key, "k\uFFFD");
    EXPECT_EQ(*member.value.asString(), "a\uFFFD");

    // A replacement character that was already there is no loss.
    EXPECT_FALSE(JSON::parse("[\"\uFFFD\", \"\\uFFFD\"]").lossy);
}

TEST(JSONParse, DepthIsLimitedTo512Levels) {
    EXPECT_EQ(errorOf(nested(512, "")), "ok");
    EXPECT_EQ(errorOf(nested(513, "")), "nested too deep at byte 512");
    EXPECT_EQ(errorOf(nested(511, "1")), "ok");
    EXPECT_EQ(errorOf(nested(512, "1")), "nested too deep at byte 512");
    std::string objects;
    for (int i = 0; i < 513; ++i)
        objects += "{\"k\":";
    EXPECT_EQ(errorOf(objects), "nested too deep at byte " + std::to_string(513 * 5 - 5));
}

TEST(JSONParse, ObjectsKeepOrderAndRepeatedKeys) {
    const JSON document = parsed(R"({"b": 1, "a": 2, "b": 3})");
    const auto& members = document.asObject()->members();
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[0].key, "b");
    EXPECT_EQ(members[1].key, "a");
    EXPECT_EQ(members[2].key, "b");
    EXPECT_EQ(*members[2].value.asNumber(), "3");
}
