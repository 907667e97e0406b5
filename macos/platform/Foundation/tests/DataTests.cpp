#include <Foundation/Data.h>
#include <gtest/gtest.h>

using Foundation::decodeUTF8Lossy;

TEST(Data, DecodingKeepsValidTextAndReplacesEachMaximalInvalidRun) {
    EXPECT_EQ(decodeUTF8Lossy(std::string_view("héllo · “x” 🦉")),
              "héllo · “x” 🦉");
    // A lone continuation byte, a cut sequence, an overlong form and a surrogate.
    EXPECT_EQ(decodeUTF8Lossy(std::string_view("a\x80z")), "a\uFFFDz");
    EXPECT_EQ(decodeUTF8Lossy(std::string_view("a\xE2\x82")), "a\uFFFD");
    EXPECT_EQ(decodeUTF8Lossy(std::string_view("\xC0\xAF")), "\uFFFD\uFFFD");
    EXPECT_EQ(decodeUTF8Lossy(std::string_view("\xED\xA0\x80")), "\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(decodeUTF8Lossy(std::string_view("\xF4\x90\x80\x80")), "\uFFFD\uFFFD\uFFFD\uFFFD");
}

TEST(Data, ValidityMatchesDecoding) {
    EXPECT_TRUE(Foundation::isValidUTF8("plain and “curly”"));
    EXPECT_FALSE(Foundation::isValidUTF8("\xFF"));
    EXPECT_FALSE(Foundation::isValidUTF8("ok\xE2\x82"));
}

TEST(Data, LongTextDecodesTheSameAtEveryOffset) {
    // The long ASCII runs are checked in blocks: a fault must be found wherever it falls.
    for (const std::string fault : {"\xFF", "\xE2\x82", "é"}) {
        for (std::size_t offset = 0; offset < 140; ++offset) {
            std::string text(150, 'a');
            text.replace(offset, 1, fault);
            const std::string repaired =
                fault == "é" ? text : std::string(150, 'a').replace(offset, 1, "\uFFFD");
            EXPECT_EQ(decodeUTF8Lossy(std::string_view(text)), repaired) << offset;
            EXPECT_EQ(Foundation::isValidUTF8(text), fault == "é") << offset;
            EXPECT_EQ(decodeUTF8Lossy(std::move(text)), repaired) << offset;
        }
    }
}
