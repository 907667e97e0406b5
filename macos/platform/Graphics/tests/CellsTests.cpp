#include <Graphics/Cells.h>
#include <gtest/gtest.h>

using namespace Graphics;

namespace {

std::vector<std::string> texts(const CellTextLayout& layout) {
    std::vector<std::string> lines;
    for (const auto& line : layout.lines) {
        std::string text;
        for (const auto& span : line.spans)
            text += span.text;
        lines.push_back(text);
    }
    return lines;
}

} // namespace

TEST(Cells, ControlCharactersNeverReachTheTerminal) {
    CellCanvas canvas(12, 1);
    canvas.text(0, 0, "a\x1b[2Jb\xc2\x9b\x7f\xff", {});
    EXPECT_EQ(canvas.plainLine(0), "a\uFFFD[2Jb\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(canvas.ansiLine(0, true).find("\x1b[2J"), std::string::npos);
    EXPECT_EQ(columnsOf("\x1b"), 1);
}

TEST(Cells, WideCharactersTakeTwoColumnsAndAreDroppedWholeAtAnEdge) {
    EXPECT_EQ(columnsOf("語a"), 3);
    EXPECT_EQ(columnsOf("👩‍💻"), 2);
    EXPECT_EQ(columnsOf("🇫🇷"), 2);
    EXPECT_EQ(columnsOf("e\u0301"), 1);

    CellCanvas canvas(4, 1);
    EXPECT_EQ(canvas.text(0, 0, "a語b", {}), 4);
    EXPECT_EQ(canvas.plainLine(0), "a語b");
    EXPECT_TRUE(canvas.at(2, 0).continuation);
    canvas.text(2, 0, "x", {});
    EXPECT_EQ(canvas.plainLine(0), "a xb");

    CellCanvas clipped(4, 1);
    clipped.text(0, 0, "abc語", {});
    EXPECT_EQ(clipped.plainLine(0), "abc");
    CellCanvas target(3, 1);
    target.draw(canvas, -1, 0);
    EXPECT_EQ(target.plainLine(0), " xb");
}

TEST(Cells, StylesBecomeEscapesOnlyWithColour) {
    CellCanvas canvas(3, 1);
    canvas.text(0, 0, "ab", {.foreground = CellColor::Green, .bold = true});
    EXPECT_EQ(canvas.ansiLine(0, false), "ab ");
    EXPECT_EQ(canvas.ansiLine(0, true), "\x1b[0;1;32mab\x1b[0m \x1b[0m");
}

TEST(Cells, TextWrapsBetweenWordsAndEndsCutLinesWithAnEllipsis) {
    const CellStyle bold{.bold = true};
    auto layout = layOutCells({{{"Phones connect ", {}}, {"over", bold}, {" Wi-Fi", {}}}, 12, 0});
    EXPECT_EQ(texts(layout), (std::vector<std::string>{"Phones", "connect over", "Wi-Fi"}));
    EXPECT_EQ(layout.columns, 12);
    EXPECT_EQ(layout.lines[1].spans[1].style, bold);

    EXPECT_EQ(texts(layOutCells({{{"abcdefgh", {}}}, 3, 0})),
              (std::vector<std::string>{"abc", "def", "gh"}));
    EXPECT_EQ(texts(layOutCells({{{"one\n\ntwo", {}}}, std::nullopt, 0})),
              (std::vector<std::string>{"one", "", "two"}));

    layout = layOutCells({{{"one two three", {}}}, 8, 1});
    EXPECT_TRUE(layout.truncated);
    EXPECT_EQ(texts(layout), (std::vector<std::string>{"one two…"}));

    // A cut line keeps nothing after the first character that does not fit, even a narrow one.
    const CellLine cut = fitted({{{"ab語", {}}, {"c", bold}}, 5}, 4);
    EXPECT_EQ(texts({{cut}, 4, false}), (std::vector<std::string>{"ab…"}));
    EXPECT_EQ(cut.columns, 3);
    CellCanvas row(6, 1);
    EXPECT_EQ(drawLine(row, 1, 0, fitted(cut, 9)), 4);
    EXPECT_EQ(row.plainLine(0), " ab…");
}

TEST(Cells, FramesRunOnlyThroughBlankCells) {
    CellCanvas canvas(6, 4);
    drawFrame(canvas, canvas.bounds(), {}, FrameCorners::Round);
    EXPECT_EQ(canvas.plainLine(0), "╭────╮");
    EXPECT_EQ(canvas.plainLine(1), "│    │");
    EXPECT_EQ(canvas.plainLine(3), "╰────╯");

    // Content on the top edge and the left side keeps them out; the rest still frames it.
    CellCanvas covered(6, 4);
    covered.text(0, 0, "ab", {});
    covered.text(0, 2, "c", {});
    drawFrame(covered, covered.bounds(), {}, FrameCorners::Square);
    EXPECT_EQ(covered.plainLine(0), "ab   │");
    EXPECT_EQ(covered.plainLine(2), "c    │");
    EXPECT_EQ(covered.plainLine(3), "└────┘");
}
