#include <JSONCoding/JSONCoding.h>
#include <JSONCoding/JSONScanner.h>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <optional>

namespace {

using namespace std::string_view_literals;

// Writes the events down, one word each; stops the walk at the event `stopAt` when set.
struct Recorder {
    std::string events;
    int stopAt = 0;
    int count = 0;

    bool add(std::string_view event) {
        if (!events.empty())
            events += ' ';
        events += event;
        return ++count != stopAt;
    }
    bool startObject() { return add("{"); }
    bool endObject() { return add("}"); }
    bool startArray() { return add("["); }
    bool endArray() { return add("]"); }
    bool key(std::string_view name) { return add("k:" + std::string(name)); }
    bool string(std::string_view text) { return add("s:" + std::string(text)); }
    bool integer(std::int64_t value) { return add("i:" + std::to_string(value)); }
    bool unsignedInteger(std::uint64_t value) { return add("u:" + std::to_string(value)); }
    bool floating(double value) {
        char text[32];
        std::snprintf(text, sizeof text, "f:%.17g", value);
        return add(text);
    }
    bool boolean(bool value) { return add(value ? "true" : "false"); }
    bool null() { return add("null"); }
};

Foundation::Bytes bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The events of a document, or nothing when the reader refuses it.
std::optional<std::string> events(std::string_view text) {
    Recorder recorder;
    if (!JSONCoding::scan(bytesOf(text), recorder))
        return std::nullopt;
    return recorder.events;
}

struct Case {
    std::string_view text;
    std::optional<std::string_view> events;
};

// Each document with the events it gives, or nothing where it is refused; the parser must agree
// on which are documents at all.
void expectCases(std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(events(c.text), c.events) << c.text;
        EXPECT_EQ(JSONCoding::parse(c.text).has_value(), c.events.has_value()) << c.text;
    }
}

} // namespace

TEST(JSONScanner, ReadsStructureLiteralsAndTheEndOfTheDocument) {
    expectCases({
        {"{}", "{ }"},
        {" [ 1 , [ ] , {\"a\" : null, \"b\":[true,false]} ]\r\n",
         "[ u:1 [ ] { k:a null k:b [ true false ] } ]"},
        {"\xEF\xBB\xBF[]", "[ ]"},
        {"{}\0 trailing"sv, "{ }"},
        {"1\0"sv, "u:1"},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"\0"sv, std::nullopt},
        {"\xEF\xBB\xBF", std::nullopt},
        {"\xEF\xBB[]", std::nullopt},
        {"\xEF[]", std::nullopt},
        {" \xEF\xBB\xBF[]", std::nullopt},
        {"\f[]", std::nullopt},
        {"[1,]", std::nullopt},
        {"{\"a\":1,}", std::nullopt},
        {"[1 2]", std::nullopt},
        {"{\"a\" 1}", std::nullopt},
        {"{1:2}", std::nullopt},
        {"[", std::nullopt},
        {"[}", std::nullopt},
        {"{\"a\":1}}", std::nullopt},
        {"{} x", std::nullopt},
        {"1 2", std::nullopt},
        {"tru", std::nullopt},
        {"True", std::nullopt},
        {"nulll", std::nullopt},
    });
}

TEST(JSONScanner, ReadsTextsAsTheParserDoes) {
    expectCases({
        {R"("a\"b\\c\/d\b\f\n\r\t")", "s:a\"b\\c/d\b\f\n\r\t"},
        {R"("\u00e9\u00C9\u0000")", "s:\xC3\xA9\xC3\x89\0"sv},
        {R"(["a\nb","\tc",{"k\u0065y":"d"}])", "[ s:a\nb s:\tc { k:key s:d } ]"},
        {R"("\ud83d\ude00 and \uD83D\uDE00")", "s:\xF0\x9F\x98\x80 and \xF0\x9F\x98\x80"},
        {"\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\x7F\"",
         "s:caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\x7F"},
        // Long enough to be looked at eight bytes at a time.
        {"\"0123456789abcdef\\n0123456789\xC3\xA9xyz\"",
         "s:0123456789abcdef\n0123456789\xC3\xA9xyz"},
        {R"("\ud83d")", std::nullopt},
        {R"("\ude00")", std::nullopt},
        {R"("\ud83d\u0041")", std::nullopt},
        {R"("\ud83dx")", std::nullopt},
        {R"("\u12")", std::nullopt},
        {R"("\x")", std::nullopt},
        {"\"a\x01\"", std::nullopt},
        {"\"0123456789\t\"", std::nullopt},
        {"\"0123456789", std::nullopt},
        {"\"\xC0\xAF\"", std::nullopt},
        {"\"\xE0\x80\xAF\"", std::nullopt},
        {"\"\xED\xA0\x80\"", std::nullopt},
        {"\"\xF4\x90\x80\x80\"", std::nullopt},
        {"\"\xF5\x80\x80\x80\"", std::nullopt},
        {"\"\xC3\"", std::nullopt},
        {"\"\x80\"", std::nullopt},
    });
}

TEST(JSONScanner, GivesNumbersTheParsersKinds) {
    expectCases({
        {"[0,-0,-1,7]", "[ u:0 i:0 i:-1 u:7 ]"},
        {"18446744073709551615", "u:18446744073709551615"},
        {"18446744073709551616", "f:1.8446744073709552e+19"},
        {"100000000000000000000", "f:1e+20"},
        {"-9223372036854775808", "i:-9223372036854775808"},
        {"-9223372036854775809", "f:-9.2233720368547758e+18"},
        {"[1.5,1e2,1E+2,2e-1,-0.0]", "[ f:1.5 f:100 f:100 f:0.20000000000000001 f:-0 ]"},
        {"[1e-400,-1e-400,4.9e-324]", "[ f:0 f:-0 f:4.9406564584124654e-324 ]"},
        {"1.7976931348623157e308", "f:1.7976931348623157e+308"},
        {"1e400", std::nullopt},
        {"-1.8e308", std::nullopt},
        {"01", std::nullopt},
        {"-", std::nullopt},
        {"+1", std::nullopt},
        {".5", std::nullopt},
        {"1.", std::nullopt},
        {"1.e5", std::nullopt},
        {"1e", std::nullopt},
        {"1e+", std::nullopt},
        {"0x10", std::nullopt},
    });
}

TEST(JSONScanner, NestsToAnyDepthWithoutRecursion) {
    constexpr std::size_t depth = 200000;
    const std::string arrays = std::string(depth, '[') + std::string(depth, ']');
    Recorder recorder;
    EXPECT_TRUE(JSONCoding::scan(bytesOf(arrays), recorder));
    EXPECT_EQ(recorder.count, 2 * static_cast<int>(depth));
    EXPECT_FALSE(events(std::string(depth, '[')));
    std::string objects;
    for (std::size_t level = 0; level < depth; ++level)
        objects += "{\"a\":";
    EXPECT_FALSE(events(objects + "1" + std::string(depth - 1, '}')));
    EXPECT_TRUE(events(objects + "1" + std::string(depth, '}')));
}

TEST(JSONScanner, AHandlerStopsTheWalkAtAnyEvent) {
    constexpr std::string_view document = R"({"k":["s",-1,2,0.5,true,null,{}]})";
    const std::string all = *events(document);
    const int count = static_cast<int>(std::count(all.begin(), all.end(), ' ')) + 1;
    for (int stop = 1; stop <= count; ++stop) {
        Recorder recorder;
        recorder.stopAt = stop;
        EXPECT_FALSE(JSONCoding::scan(bytesOf(document), recorder));
        EXPECT_EQ(recorder.count, stop);
    }
}

TEST(JSONScanner, PlainTextsAreViewsIntoTheDocument) {
    struct Views : Recorder {
        std::vector<std::string_view> texts;
        bool string(std::string_view text) {
            texts.push_back(text);
            return true;
        }
    };
    const std::string document = R"(["plain","esc\naped"])";
    Views views;
    ASSERT_TRUE(JSONCoding::scan(bytesOf(document), views));
    ASSERT_EQ(views.texts.size(), 2u);
    EXPECT_EQ(views.texts[0].data(), document.data() + 2);
    EXPECT_FALSE(views.texts[1].data() >= document.data() &&
                 views.texts[1].data() < document.data() + document.size());
}
