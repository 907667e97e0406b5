#include "JSON.h"

#include <gtest/gtest.h>

namespace {

JSON parsed(std::string_view input) {
    auto result = JSON::parse(input);
    EXPECT_TRUE(result.value) << result.error.description();
    return result.value.value_or(JSON());
}

JSONObject objectOf(std::string_view input) {
    const JSON value = parsed(input);
    return value.asObject() ? *value.asObject() : JSONObject();
}

std::vector<std::string> keysAndValues(const JSONObject& object) {
    std::vector<std::string> result;
    for (const auto& member : object.members())
        result.push_back(member.key + "=" + member.value.serialized());
    return result;
}

} // namespace

TEST(JSONWrite, UsesTheFixedLayout) {
    const JSON document = JSONObject({
        {"a", JSON::Array{JSON::number("1"), JSONObject()}},
        {"b", JSON::string("x")},
    });
    EXPECT_EQ(document.serialized(), "{\n"
                                     "  \"a\": [\n"
                                     "    1,\n"
                                     "    {}\n"
                                     "  ],\n"
                                     "  \"b\": \"x\"\n"
                                     "}");
    EXPECT_EQ(JSON(JSONObject()).serialized(), "{}");
    EXPECT_EQ(JSON(JSON::Array{}).serialized(), "[]");
    EXPECT_EQ(JSON::string("x").serialized(), "\"x\"");
    EXPECT_EQ(JSON().serialized(), "null");
    EXPECT_EQ(parsed("[true,false,null,-0.0e+00]").serialized(),
              "[\n  true,\n  false,\n  null,\n  -0.0e+00\n]");
}

TEST(JSONWrite, QuotesWithTheShortestEscapes) {
    std::string quoted;
    JSON::quote("\"\\/\b\f\n\r\t\x1B\x01\x7F é\U0001F600", quoted);
    EXPECT_EQ(quoted, "\"\\\"\\\\/\\b\\f\\n\\r\\t\\u001b\\u0001\x7F é\U0001F600\"");
    // Escapes read in their long forms come back short.
    EXPECT_EQ(parsed(R"("\/\u00e9\u001B")").serialized(), "\"/\u00e9\\u001b\"");
}

TEST(JSONWrite, ANodeStyleFileRoundTripsByteForByte) {
    // As JSON.stringify(value, null, 2) writes it.
    const std::string file = R"({
  "numStartups": 42,
  "theme": "dark",
  "tipsHistory": {},
  "projects": {
    "/Users/ana/code/café": {
      "allowedTools": [],
      "history": [
        {
          "display": "fix the \"flaky\" test\nthen push",
          "pastedContents": {}
        }
      ],
      "lastCost": 0.1250,
      "lastDuration": 1E+3
    }
  },
  "mcpServers": {
    "kestrelhaven-speak": {
      "command": "node",
      "args": [
        "/Applications/Kestrelhaven.app/Contents/Resources/bridge/dist/mcp-speak.js"
      ]
    }
  },
  "theme": "light",
  "emoji": "🦉\u001b",
  "nothing": null
})";
    EXPECT_EQ(parsed(file).serialized(), file);
}

TEST(JSONObjectSubscript, ReadsWritesAndRemovesByTheLastMember) {
    JSONObject object = objectOf(R"({"a": 1, "b": 0, "a": 2})");
    ASSERT_TRUE(object.find("a"));
    EXPECT_EQ(*object.find("a")->asNumber(), "2");
    EXPECT_EQ(object.find("c"), nullptr);

    object.set("a", JSON::number("3"));
    EXPECT_EQ(keysAndValues(object), (std::vector<std::string>{"a=1", "b=0", "a=3"}));
    object.set("c", JSON::string("new"));
    EXPECT_EQ(keysAndValues(object), (std::vector<std::string>{"a=1", "b=0", "a=3", "c=\"new\""}));
    object.remove("a");
    EXPECT_EQ(keysAndValues(object), (std::vector<std::string>{"b=0", "c=\"new\""}));
    object.remove("missing");
    EXPECT_EQ(object.members().size(), 2u);

    // Keys match under canonical equivalence: a precomposed é finds a decomposed one.
    JSONObject accents = objectOf("{\"cafe\u0301\": 1}");
    ASSERT_TRUE(accents.find("caf\u00e9"));
    accents.set("caf\u00e9", JSON::number("2"));
    EXPECT_EQ(keysAndValues(accents), (std::vector<std::string>{"cafe\u0301=2"}));

    accents.setMembers({{"x", JSON()}});
    EXPECT_EQ(keysAndValues(accents), (std::vector<std::string>{"x=null"}));
}

TEST(JSONEquality, ComparesByValueInOrder) {
    EXPECT_EQ(parsed(R"({"a": [1, "x"], "b": null})"), parsed(R"({"a":[1,"x"],"b":null})"));
    // Numbers compare as text.
    EXPECT_NE(parsed("1.0"), parsed("1"));
    // Order and repeats matter.
    EXPECT_NE(parsed(R"({"a": 1, "b": 2})"), parsed(R"({"b": 2, "a": 1})"));
    EXPECT_NE(parsed(R"({"a": 1})"), parsed(R"({"a": 1, "a": 1})"));
    EXPECT_NE(parsed("[1]"), parsed("[1, 1]"));
    EXPECT_NE(parsed("\"1\""), parsed("1"));
    EXPECT_NE(parsed("true"), parsed("false"));
    // Strings and keys compare under canonical equivalence.
    EXPECT_EQ(parsed("\"caf\u00e9\""), parsed("\"cafe\u0301\""));
    EXPECT_EQ(parsed("{\"caf\u00e9\": 1}"), parsed("{\"cafe\u0301\": 1}"));
    EXPECT_NE(parsed("\"cafe\""), parsed("\"caf\u00e9\""));
}
