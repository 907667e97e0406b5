#include <AppKit/AttributedString.h>
#include <AppKit/TerminalText.h>
#include <AppKit/TextMeasurement.h>
#include <gtest/gtest.h>

using namespace AppKit;

TEST(TextMeasurement, WidthsGrowWithTextSizeAndWeight) {
    const Font regular = Font::systemFont(14);
    EXPECT_EQ(textWidth("", regular), 0);
    const double word = textWidth("Kestrelhaven", regular);
    EXPECT_GT(word, 40);
    EXPECT_LT(word, 140);
    EXPECT_GT(textWidth("Kestrelhaven menu", regular), word);
    EXPECT_GT(textWidth("Kestrelhaven", Font::systemFont(14, FontWeight::Bold)), word);
    EXPECT_NEAR(textWidth("Kestrelhaven", Font::systemFont(28)), 2 * word, 0.1 * word);
    EXPECT_EQ(Font::menuFont(0).pointSize(), 14);
    EXPECT_EQ(Font::menuFont(11).pointSize(), 11);
}

TEST(TextMeasurement, MonospacedDigitsAreAllOneWidth) {
    const Font digits = Font::monospacedDigitSystemFont(14, FontWeight::Regular);
    EXPECT_TRUE(digits.hasMonospacedDigits());
    EXPECT_DOUBLE_EQ(textWidth("11:11", digits), textWidth("88:88", digits));
    // Text that is not UTF-8 is measured, not refused.
    EXPECT_GT(textWidth("a\xff"
                        "b",
                        Font::systemFont(14)),
              0);
}

TEST(AttributedString, KeepsRunsAndGivesEveryRunTheParagraphStyle) {
    AttributedString text;
    text.append("  ", {Font::menuFont(), Color::label(), {}});
    text.append("", {Font::menuFont(), Color::systemGreen(), {}});
    text.append("●", {Font::menuFont(), Color::systemGreen(), {}});
    text.append("project\t", {Font::systemFont(14, FontWeight::Medium), Color::label(), {}});
    const ParagraphStyle style{{{TextAlignment::Left, 70}, {TextAlignment::Right, 140}}};
    text.setParagraphStyle(style);
    EXPECT_EQ(text.string(), "  ●project\t");
    ASSERT_EQ(text.runs().size(), 3u);
    EXPECT_EQ(text.runs()[1].attributes.foregroundColor, Color::systemGreen());
    for (const auto& run : text.runs())
        EXPECT_EQ(run.attributes.paragraphStyle, style);
}

TEST(TerminalText, TabStopsBecomeColumns) {
    AttributedString text;
    text.append("ab\tcd\tef", {});
    // A left stop at 70 points starts at column 10; a right one at 140 ends at column 20.
    text.setParagraphStyle({{{TextAlignment::Left, 70}, {TextAlignment::Right, 140}}});
    EXPECT_EQ(TerminalText::attributed(text), "ab        cd      ef");
}
