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

TEST(TerminalText, TextsFromOutsideLoseTheirControlCharactersButTheDrawingKeepsItsOwn) {
    // C0 (escape, bell, CR), DEL, C1 (CSI as U+009B), a byte that is not UTF-8, a lone lead byte.
    EXPECT_EQ(TerminalText::printable("a\x1b[2Jb\a\r\x7f\xc2\x9b"
                                      "c\xff é\xe2"),
              "a\uFFFD[2Jb\uFFFD\uFFFD\uFFFD\uFFFDc\uFFFD é\uFFFD");
    EXPECT_EQ(TerminalText::printable("Mia’s iPhone ✓"), "Mia’s iPhone ✓");

    const std::string clear = "\x1b[2J";
    auto menu = Menu::make();
    menu->addItem(MenuItem::make("Mia\x1b[2J"));
    AttributedString title;
    title.append("\x1b]0;owned\a\tdone", {Font::systemFont(14, FontWeight::Bold), {}, {}});
    auto styled = MenuItem::make("");
    styled->setAttributedTitle(title);
    menu->addItem(styled);
    const auto lines = TerminalText::menu(*menu, false);
    ASSERT_EQ(lines.size(), 2u);
    // Items without an action show dimmed.
    EXPECT_EQ(lines[0], "  \x1b[2m1\x1b[0m  \x1b[2mMia\uFFFD[2J\x1b[0m");
    EXPECT_EQ(lines[1], "  \x1b[2m2\x1b[0m  \x1b[2m\x1b[1m\uFFFD]0;owned\uFFFD\x1b[0m      "
                        "\x1b[1mdone\x1b[0m\x1b[0m")
        << "the tab still moves to its stop";

    Alert alert;
    alert.setMessageText("Bridge" + clear);
    alert.setInformativeText("line one\nline\x1b[Htwo");
    alert.addButton("OK\x9b");
    for (const auto& line : TerminalText::alert(alert))
        EXPECT_EQ(line.find("\x1b[2J"), std::string::npos) << line;
    EXPECT_EQ(TerminalText::alert(alert)[2], "│ line\uFFFD[Htwo");
}
