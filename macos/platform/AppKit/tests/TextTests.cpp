#include <AppKit/AttributedString.h>
#include <AppKit/TerminalViews.h>
#include <AppKit/TextMeasurement.h>
#include <Graphics/CellOutput.h>
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

namespace {

std::string plain(const Graphics::CellLine& line) {
    std::string text;
    for (const auto& span : line.spans)
        text += span.text;
    return text;
}

} // namespace

TEST(TerminalViews, TabStopsBecomeColumns) {
    AttributedString text;
    text.append("ab\tcd\tef", {});
    // A left stop at 70 points starts at column 10; a right one at 140 ends at column 20.
    text.setParagraphStyle({{{TextAlignment::Left, 70}, {TextAlignment::Right, 140}}});
    const auto line = TerminalViews::line(text);
    EXPECT_EQ(plain(line), "ab        cd      ef");
    EXPECT_EQ(line.columns, 20);

    // Brought nearer, a part too long for its stop is cut there and the next column stays put.
    AttributedString longer;
    longer.append("a long part	cd", {});
    longer.setParagraphStyle({{{TextAlignment::Left, 70}}});
    EXPECT_EQ(plain(TerminalViews::line(longer, {.scale = 0.6, .cutAtStops = true})), "a lo… cd");
    EXPECT_EQ(plain(TerminalViews::line(longer, {.scale = 0.6})), "a long part cd");
}

TEST(TerminalViews, TextsFromOutsideLoseTheirControlCharactersButKeepTheirStyles) {
    AttributedString title;
    title.append("\x1b]0;owned\a\tdone", {Font::systemFont(14, FontWeight::Bold), {}, {}});
    title.append(" ✓", {{}, Color::systemGreen(), {}});
    const auto line = TerminalViews::line(title);
    Graphics::CellCanvas row(30, 1);
    Graphics::drawLine(row, 0, 0, line);
    EXPECT_EQ(row.plainLine(0), "\uFFFD]0;owned\uFFFD      done ✓")
        << "the tab still moves to its stop";
    EXPECT_EQ(Graphics::ansiLine(row, 0, Graphics::CellStyling::Coloured).find("\x1b]0"),
              std::string::npos);
    EXPECT_TRUE(row.at(0, 0).style.bold);
    EXPECT_EQ(row.at(20, 0).style.foreground, Graphics::CellColor::Green);
}

TEST(TerminalViews, StacksOfLabelsAndPicturesLayOutInCells) {
    // As the pairing panel has them: a centred stack, a code, a QR code and a wrapping label.
    auto stack = std::make_shared<StackView>(Orientation::Vertical);
    stack->setAlignment(StackAlignment::CenterX);
    stack->setSpacing(14);
    stack->setEdgeInsets({20, 20, 20, 20});
    auto code = TextField::label("482 913");
    code->setFont(Font::systemFont(44, FontWeight::Semibold));
    stack->addArrangedSubview(code);
    // Four modules: dark, light / light, dark, as two rows of two.
    stack->addArrangedSubview(
        std::make_shared<ImageView>(Image::withPicture(CoreImage::Image(2, 2, {0, 255, 255, 0}))));
    auto note = TextField::wrappingLabel("Scan it from the app's Pair with your Mac screen.");
    note->setTextColor(Color::secondaryLabel());
    note->setAlignment(TextAlignment::Center);
    note->setPreferredMaxLayoutWidth(140);
    stack->addArrangedSubview(note);
    auto hidden = TextField::label("hidden");
    hidden->setHidden(true);
    stack->addArrangedSubview(hidden);

    const auto canvas = TerminalViews::view(*stack, 60);
    std::vector<std::string> rows;
    for (int y = 0; y < canvas.height(); ++y)
        rows.push_back(canvas.plainLine(y));
    // A row of inset, the code, a row of spacing, the picture (a row, with two light columns at
    // either side), spacing, the label wrapped at 20 columns, and the inset again; three columns
    // of inset at the sides, each view centred in the widest.
    ASSERT_EQ(rows.size(), 9u) << ::testing::PrintToString(rows);
    EXPECT_EQ(rows[1], "         482 913");
    EXPECT_TRUE(canvas.at(9, 1).style.bold);
    EXPECT_EQ(rows[3], "            ▀▄");
    EXPECT_EQ(canvas.at(10, 3).style.background, Graphics::CellColor::White);
    EXPECT_EQ(rows[5], "     Scan it from the");
    EXPECT_EQ(rows[6], "   app's Pair with your");
    EXPECT_EQ(rows[7], "       Mac screen.");
    EXPECT_TRUE(canvas.at(7, 7).style.dim);
    EXPECT_EQ(canvas.width(), 26);
}

TEST(TerminalViews, ALabelCutToItsWidthEndsInAnEllipsis) {
    auto status = TextField::label("Ada's iPad Pro (12.9-inch) is asking — enter the code");
    const auto canvas = TerminalViews::view(*status, 30);
    EXPECT_EQ(canvas.plainLine(0), "Ada's iPad Pro (12.9-inch) is…");
}
