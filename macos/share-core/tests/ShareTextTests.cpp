// The share text rules: decoding, newlines, one-line clipping, titles, link documents, counts.
#include "DossierFormat.h"
#include "DossierShare.h"
#include "ShareText.h"

#include <gtest/gtest.h>

using Foundation::dataFrom;

TEST(ShareText, DecodesUTF8AndMarkedUTF16Only) {
    EXPECT_EQ(ShareText::decode(dataFrom("\xEF\xBB\xBFhi")), "hi");
    EXPECT_EQ(ShareText::decode(dataFrom(std::string("\xFF\xFEh\0i\0", 6))), "hi");
    EXPECT_EQ(ShareText::decode(dataFrom(std::string("\xFE\xFF\0h\0i", 6))), "hi");
    EXPECT_EQ(ShareText::decode(dataFrom(std::string("\xFF\xFE=\xD8\0\xDE", 6))), "😀");
    // U+0000 is refused only without a mark.
    EXPECT_FALSE(ShareText::decode(dataFrom(std::string("a\0b", 3))));
    EXPECT_EQ(ShareText::decode(dataFrom(std::string("\xEF\xBB\xBF"
                                                     "a\0b",
                                                     6))),
              std::string("a\0b", 3));
    EXPECT_FALSE(ShareText::decode(dataFrom("\xFF")));
    EXPECT_FALSE(ShareText::decode(dataFrom("\xEF\xBB\xBF\xC3")));
    // UTF-16 of odd length or with a lone surrogate is not text.
    EXPECT_FALSE(ShareText::decode(dataFrom(std::string("\xFF\xFEh\0i", 5))));
    EXPECT_FALSE(ShareText::decode(dataFrom(std::string("\xFF\xFE\0\xDCh\0", 6))));
    EXPECT_FALSE(ShareText::decode(dataFrom(std::string("\xFF\xFE=\xD8", 4))));
    EXPECT_EQ(ShareText::decode(dataFrom("")), "");
}

TEST(ShareText, NormalisesNewlinesAndTellsBlankText) {
    EXPECT_EQ(ShareText::normalizedNewlines("a\r\nb\rc\u2028d\u2029e"), "a\nb\nc\nd\ne");
    // A CR before a separator becomes CR LF, then one LF.
    EXPECT_EQ(ShareText::normalizedNewlines("a\r\u2028b"), "a\nb");
    EXPECT_EQ(ShareText::normalizedNewlines("a\u0085b\vc\fd"), "a\u0085b\vc\fd");
    EXPECT_TRUE(ShareText::isBlank(" \t\n\u2029\u00A0\r\n"));
    EXPECT_TRUE(ShareText::isBlank(""));
    EXPECT_FALSE(ShareText::isBlank(" \u200B "));
}

TEST(ShareText, OneLineFoldsTrimsAndCutsByCharacters) {
    EXPECT_EQ(ShareText::oneLine("  a\tb\n\nc  ", 3), "a b");
    EXPECT_EQ(ShareText::oneLine("", 10), "");
    EXPECT_EQ(ShareText::oneLine("\x01\u200B\uFEFF", 10), "");
    // Format characters become spaces and fold with the white space around them.
    EXPECT_EQ(ShareText::oneLine("a \u200B b", 10), "a b");
    // A character is a grapheme cluster: the flag and the accented letter stay whole.
    EXPECT_EQ(ShareText::oneLine("🇫🇷e\u0301x", 2), "🇫🇷e\u0301");
    // The cut may leave a trailing space: nothing trims after it.
    EXPECT_EQ(ShareText::oneLine("ab cd", 3), "ab ");
    EXPECT_EQ(ShareText::oneLine("ab", 0), "");
}

TEST(DossierShare, SuggestsTitlesInOrder) {
    EXPECT_EQ(DossierShare::suggestedTitle("#\n## Word \nother", "   ", std::nullopt), "Word");
    EXPECT_EQ(DossierShare::suggestedTitle("no heading", std::nullopt, "my.notes.md"), "my.notes");
    EXPECT_EQ(DossierShare::suggestedTitle(" \nwords here", std::nullopt, std::nullopt),
              "Shared text");
    EXPECT_EQ(DossierShare::suggestedTitle("", std::string(250, 'p'), std::nullopt),
              std::string(200, 'p'));
    EXPECT_EQ(DossierShare::suggestedTitle("x", "  Page \n Title ", "f.md"), "Page Title");
    EXPECT_EQ(DossierShare::suggestedTitle("\n\n  first   line\nsecond", std::nullopt, ".md"),
              "first line");
    // Heading marks need no space after them; spaces inside a heading stay.
    EXPECT_EQ(DossierShare::suggestedTitle("##Two  words", std::nullopt, std::nullopt),
              "Two  words");
}

TEST(DossierShare, WritesLinkDocuments) {
    const std::string url = "https://example.com/a";
    EXPECT_EQ(DossierShare::linkDocument(url, "Example", "One paragraph."),
              "# Example\n\n<https://example.com/a>\n\nOne paragraph.\n");
    const std::string bare = "# https://example.com/a\n\n<https://example.com/a>\n";
    EXPECT_EQ(DossierShare::linkDocument(url, std::nullopt, url), bare);
    EXPECT_EQ(DossierShare::linkDocument(url, " \n ", " \n\t "), bare);
    EXPECT_EQ(DossierShare::linkDocument(url, std::nullopt, std::nullopt), bare);
    EXPECT_EQ(DossierShare::linkDocument(url, "T", "\n  body  \n"),
              "# T\n\n<https://example.com/a>\n\nbody\n");
}

TEST(DossierShare, MeasuresItemsInUTF16Units) {
    EXPECT_TRUE(DossierShare::fitsItem("😀", 2));
    EXPECT_FALSE(DossierShare::fitsItem("😀", 1));
    EXPECT_TRUE(DossierShare::fitsItem("", 0));
}

TEST(DossierFormat, CountsWordsMinutesAndThousands) {
    EXPECT_EQ(DossierFormat::words(""), 0);
    EXPECT_EQ(DossierFormat::words("  one\ttwo\u00A0three\u2028four\u0085five  "), 5);
    // U+200B is not white space: it joins.
    EXPECT_EQ(DossierFormat::words("a\u200Bb"), 1);
    EXPECT_EQ(DossierFormat::minutes(0), 1);
    EXPECT_EQ(DossierFormat::minutes(80), 1);
    EXPECT_EQ(DossierFormat::minutes(239), 1);
    EXPECT_EQ(DossierFormat::minutes(240), 2);
    EXPECT_EQ(DossierFormat::minutes(399), 2);
    EXPECT_EQ(DossierFormat::minutes(400), 3);
    EXPECT_EQ(DossierFormat::thousands(0), "0");
    EXPECT_EQ(DossierFormat::thousands(999), "999");
    EXPECT_EQ(DossierFormat::thousands(1000), "1,000");
    EXPECT_EQ(DossierFormat::thousands(300000), "300,000");
    EXPECT_EQ(DossierFormat::thousands(1234567), "1,234,567");
    EXPECT_EQ(DossierShare::previewLine(""), "0 words · about 1 min");
    std::string many;
    for (int i = 0; i < 1234; ++i)
        many += "w ";
    EXPECT_EQ(DossierShare::previewLine(many), "1,234 words · about 8 min");
}
