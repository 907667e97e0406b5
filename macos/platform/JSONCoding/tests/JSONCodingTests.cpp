#include <JSONCoding/JSONCoding.h>
#include <gtest/gtest.h>

using namespace JSONCoding;

namespace {

struct Inner {
    std::string name;
    static Inner decode(const Decoder& d) { return {d.required<std::string>("name")}; }
};

struct Sample {
    bool flag;
    double amount;
    int count;
    std::optional<std::string> note;
    std::optional<Inner> inner;
    std::vector<Inner> list;

    static Sample decode(const Decoder& d) {
        return {d.required<bool>("flag"),   d.required<double>("amount"),
                d.required<int>("count"),   d.optional<std::string>("note"),
                d.optional<Inner>("inner"), d.required<std::vector<Inner>>("list")};
    }
};

std::optional<Sample> decodeText(std::string_view text) {
    return decodeJSON<Sample>(parse(text).value_or(JSON()));
}

} // namespace

TEST(JSONCoding, DecodesRecordsIgnoringUnknownKeys) {
    const auto sample = decodeText(R"({"flag": true, "amount": 3, "count": 2.0, "note": null,
        "inner": {"name": "x", "extra": [1]}, "list": [{"name": "a"}, {"name": "b"}], "new": 1})");
    ASSERT_TRUE(sample);
    EXPECT_TRUE(sample->flag);
    EXPECT_EQ(sample->amount, 3.0);
    EXPECT_EQ(sample->count, 2);
    EXPECT_FALSE(sample->note);
    EXPECT_EQ(sample->inner->name, "x");
    ASSERT_EQ(sample->list.size(), 2u);
    EXPECT_EQ(sample->list[1].name, "b");
}

TEST(JSONCoding, AnyBrokenRuleFailsTheWholeValue) {
    const std::string good = R"("amount": 1, "count": 1, "list": [])";
    EXPECT_TRUE(decodeText(R"({"flag": false, )" + good + "}"));
    // A boolean is never a number, nor a number a boolean.
    EXPECT_FALSE(decodeText(R"({"flag": 1, )" + good + "}"));
    EXPECT_FALSE(decodeText(R"({"flag": false, "amount": true, "count": 1, "list": []})"));
    // Integers must be integral and in range.
    EXPECT_FALSE(decodeText(R"({"flag": false, "amount": 1, "count": 1.5, "list": []})"));
    EXPECT_FALSE(decodeText(R"({"flag": false, "amount": 1, "count": 3000000000, "list": []})"));
    // Required keys must be present and not null; nested records follow the same rules.
    EXPECT_FALSE(decodeText(R"({)" + good + "}"));
    EXPECT_FALSE(decodeText(R"({"flag": null, )" + good + "}"));
    EXPECT_FALSE(decodeText(R"({"flag": false, "amount": 1, "count": 1, "list": [{}]})"));
    EXPECT_FALSE(decodeText(R"({"flag": false, "note": 5, )" + good + "}"));
    EXPECT_FALSE(decodeText(R"([])"));
    EXPECT_FALSE(decode<Sample>(Foundation::dataFrom("{not json")));
}

TEST(JSONCoding, DecodesMapsOfLists) {
    using Lists = std::map<std::string, std::vector<Inner>>;
    const auto lists = decode<Lists>(Foundation::dataFrom(R"({"a": [{"name": "n"}], "b": []})"));
    ASSERT_TRUE(lists);
    EXPECT_EQ(lists->at("a").front().name, "n");
    EXPECT_FALSE(decode<Lists>(Foundation::dataFrom(R"({"a": [], "b": 3})")));
}

TEST(JSONCoding, SerializesCompactlyAndRefusesInvalidText) {
    EXPECT_EQ(serialize(JSON{{"a", 1}}), R"({"a":1})");
    EXPECT_FALSE(serialize(JSON{{"a", std::string("\xFF")}}));
}

TEST(JSONCoding, EncodesAsThePlatformEncoderDoes) {
    OrderedJSON value = {{"z", "a/b"}, {"a", 1.5}, {"m", {1, 2}}};
    EXPECT_EQ(encode(value), R"({"z":"a\/b","a":1.5,"m":[1,2]})");
    EXPECT_FALSE(encode(OrderedJSON{{"n", std::nan("")}}));
    EXPECT_FALSE(encode(OrderedJSON{{"n", {1.0, std::numeric_limits<double>::infinity()}}}));
    EXPECT_FALSE(encode(OrderedJSON{{"t", "\xFF"}}));
}
