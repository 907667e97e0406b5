#include <Graphics/CellOutput.h>
#include <Graphics/CellText.h>
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
    EXPECT_EQ(ansiLine(canvas, 0, CellStyling::Coloured).find("\x1b[2J"), std::string::npos);
    EXPECT_EQ(columnsOf("\x1b"), 1);
}

TEST(Cells, WideCharactersTakeTwoColumnsAndAreDroppedWholeAtAnEdge) {
    EXPECT_EQ(columnsOf("語a"), 3);
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

TEST(Cells, StylesBecomeEscapesWithOrWithoutTheirColours) {
    CellCanvas canvas(3, 1);
    canvas.text(0, 0, "ab", {.foreground = CellColor::Green, .bold = true, .inverse = true});
    EXPECT_EQ(ansiLine(canvas, 0, CellStyling::Plain), "ab ");
    EXPECT_EQ(ansiLine(canvas, 0, CellStyling::Uncoloured), "\x1b[0;1;7mab\x1b[0m \x1b[0m");
    EXPECT_EQ(ansiLine(canvas, 0, CellStyling::Coloured), "\x1b[0;1;7;32mab\x1b[0m \x1b[0m");
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

TEST(Cells, MonospacedTextKeepsItsSpacesAndItsIndentationWhereItBreaks) {
    const auto code = [](std::string text) { return CellSpan{std::move(text), {}, true}; };
    const std::string snippet = "services:\n  app:\n    env_file: \"/srv/a.env\"\n\tports:  [80]";
    EXPECT_EQ(texts(layOutCells({{code(snippet)}, 20, 0})),
              (std::vector<std::string>{"services:", "  app:", "    env_file:",
                                        "    ↪ \"/srv/a.env\"", "        ports:  [80]"}));
    EXPECT_EQ(texts(layOutCells({{code(snippet)}, std::nullopt, 0}))[2],
              "    env_file: \"/srv/a.env\"");
    // A word wider than the line breaks between characters, each row going on at the indentation.
    EXPECT_EQ(texts(layOutCells({{code("  abcdefghij")}, 6, 0})),
              (std::vector<std::string>{"  abcd", "  ↪ ef", "  ↪ gh", "  ↪ ij"}));
    // Where the mark would leave no room for text, the row goes on without it.
    EXPECT_EQ(texts(layOutCells({{code("  abcdefghij")}, 4, 0})),
              (std::vector<std::string>{"  ab", "  cd", "  ef", "  gh", "  ij"}));
    // Ordinary text around it still folds its spaces and drops them at the start of a line.
    EXPECT_EQ(texts(layOutCells({{{"  Run  ", {}}, code("kh  init"), {"   now", {}}}, 40, 0})),
              (std::vector<std::string>{"Run kh  init now"}));
    // Prose that holds code wraps as prose, unmarked.
    EXPECT_EQ(texts(layOutCells({{{"Run ", {}}, code("kh  init"), {" now", {}}}, 10, 0})),
              (std::vector<std::string>{"Run kh", "init now"}));
}

TEST(Cells, FormatCharactersNeverReachTheTerminalAndRowsTakeTheColumnsATerminalGives) {
    CellCanvas canvas(16, 2);
    // A right-to-left override would show the name as ending in ".pdf".
    canvas.text(0, 0, "report\u202Efdp.exe", {});
    EXPECT_EQ(canvas.plainLine(0), "report\uFFFDfdp.exe");
    // Zero-width characters are left out: a family joined by U+200D shows as its three people.
    EXPECT_EQ(canvas.text(0, 1, "👨\u200D👩\u200D👧\u200Bx\u00AD\uFEFF", {}), 7);
    EXPECT_EQ(canvas.plainLine(1), "👨👩👧x");
    EXPECT_EQ(canvas.at(2, 1).glyph, "👩");
    const std::string written =
        ansiLine(canvas, 0, CellStyling::Coloured) + ansiLine(canvas, 1, CellStyling::Coloured);
    for (const char* raw : {"\u202E", "\u200D", "\u200B", "\u00AD", "\uFEFF"})
        EXPECT_EQ(written.find(raw), std::string::npos) << raw;

    // As a terminal counts: a skin tone is a character of its own, the emoji presentation
    // selector is left out, Hangul's vowel jamo and combining marks join the character before,
    // a spacing mark takes its own column, and an unassigned code point shows as U+FFFD.
    EXPECT_EQ(columnsOf("👍🏽"), 4);
    EXPECT_EQ(columnsOf("⚠️"), 1);
    EXPECT_EQ(columnsOf("\u1100\u1161"), 2);
    EXPECT_EQ(columnsOf("कि"), 2);
    EXPECT_EQ(columnsOf("\u0378"), 1);
    CellCanvas row(6, 1);
    row.text(0, 0, "⚠️\u0378\u2028e\u0301", {});
    EXPECT_EQ(row.plainLine(0), "⚠\uFFFD e\u0301");
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
