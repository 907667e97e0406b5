#include <Graphics/TextLayout.h>
#include <gtest/gtest.h>

using namespace Graphics;

namespace {

Paragraph plain(std::string text, Font font = {}) {
    return Paragraph{{TextRun{std::move(text), font}}};
}

} // namespace

TEST(TextLayout, MeasuresMonospacedTextByCharacterAndLineHeightByFont) {
    Font mono{12, Weight::Regular, Family::Monospace};
    TextLayout one(plain("M", mono)), four(plain("MMMM", mono));
    EXPECT_NEAR(four.size().width, 4 * one.size().width, 0.01);
    EXPECT_NEAR(one.size().height, metrics(mono).lineHeight, 0.01);
    EXPECT_GT(one.firstBaseline(), metrics(mono).ascent - 1);
    EXPECT_LT(one.firstBaseline(), one.size().height);

    TextLayout bold(plain("Setup", {13, Weight::Bold})), regular(plain("Setup", {13}));
    EXPECT_GT(bold.size().width, regular.size().width);
}

TEST(TextLayout, WrapsBetweenWordsAtTheWidthAndKeepsLineFeeds) {
    std::string sentence = "The bridge starts at login, on its own runtime.";
    TextLayout unwrapped(plain(sentence));
    EXPECT_EQ(unwrapped.lineCount(), 1);

    Paragraph narrow = plain(sentence);
    narrow.width = unwrapped.size().width / 2;
    TextLayout wrapped(narrow);
    EXPECT_GE(wrapped.lineCount(), 2);
    EXPECT_LE(wrapped.size().width, *narrow.width);
    EXPECT_NEAR(wrapped.size().height, wrapped.lineCount() * unwrapped.size().height, 0.5);
    EXPECT_FALSE(wrapped.isTruncated());

    EXPECT_EQ(TextLayout(plain("one\ntwo\nthree")).lineCount(), 3);
    // A word longer than the line breaks inside itself rather than overflowing.
    Paragraph word = plain("abcdefghijklmnopqrstuvwxyz");
    word.width = 40;
    EXPECT_LE(TextLayout(word).size().width, 40);
}

TEST(TextLayout, LineLimitsAndHeightsDropLinesAndCutTheLastWithAnEllipsis) {
    std::string text;
    for (int i = 0; i < 40; ++i) {
        text += "More notes. ";
    }
    Paragraph limited = plain(text);
    limited.width = 200;
    limited.maxLines = 3;
    TextLayout three(limited);
    EXPECT_EQ(three.lineCount(), 3);
    EXPECT_TRUE(three.isTruncated());

    Paragraph oneLine = plain(text);
    oneLine.width = 120;
    oneLine.maxLines = 1;
    TextLayout single(oneLine);
    EXPECT_EQ(single.lineCount(), 1);
    EXPECT_TRUE(single.isTruncated());
    EXPECT_LE(single.size().width, 120);

    double line = metrics(Font{}).lineHeight;
    Paragraph tall = plain(text);
    tall.width = 200;
    tall.maxHeight = line * 2.5;
    EXPECT_EQ(TextLayout(tall).lineCount(), 2);
    // Not even one line fits: one stays.
    tall.maxHeight = 1;
    EXPECT_EQ(TextLayout(tall).lineCount(), 1);

    Paragraph fits = plain("Short");
    fits.width = 200;
    fits.maxLines = 1;
    EXPECT_FALSE(TextLayout(fits).isTruncated());
}

TEST(TextLayout, TabStopsLineUpColumnsAndObjectsTakeTheirWidth) {
    Paragraph first = plain("a\tb");
    first.tabStops = {100};
    Paragraph second = plain("abcdef\tb");
    second.tabStops = {100};
    TextLayout a(first), b(second);
    EXPECT_NEAR(a.size().width, b.size().width, 0.01);
    EXPECT_GT(a.size().width, 100);

    Paragraph withObject;
    withObject.runs = {TextRun{"x"}, TextRun{"", {}, {}, 0, InlineObject{{30, 10}, 2, nullptr}},
                       TextRun{"x"}};
    EXPECT_NEAR(TextLayout(withObject).size().width, TextLayout(plain("xx")).size().width + 30,
                0.01);

    Paragraph spaced = plain("abcd");
    spaced.runs[0].letterSpacing = 2;
    EXPECT_NEAR(TextLayout(spaced).size().width, TextLayout(plain("abcd")).size().width + 6, 0.6);
    // Laid out again at the width it measured, a spaced text keeps its one line.
    spaced.width = TextLayout(spaced).size().width;
    EXPECT_FALSE(TextLayout(spaced).isTruncated());
    EXPECT_EQ(TextLayout(spaced).lineCount(), 1);
}
