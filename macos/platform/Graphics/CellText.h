// Text laid out in character cells: lines of styled spans, wrapped to a width.
//
// Ordinary text wraps as the point text layout does: between words, within a
// word only when the word alone is wider than the line; spaces at the start of
// a line drop, and a run of them between words shows as one. Monospaced text
// (code, commands, paths) keeps every space and line as written, so a snippet
// keeps its indentation; a line of it too wide for the width breaks as
// ordinary text does, each row it goes on in starting at the indentation it
// began with and a dim "↪ ", so that the row does not read as a line of its
// own. A line feed ends a line. Text cut short ends in "…".
#pragma once

#include "Cells.h"

#include <optional>
#include <string>
#include <vector>

namespace Graphics {

// A run of text in one style, for wrapping.
struct CellSpan {
    std::string text;
    CellStyle style{};
    // Its spaces and lines stand as written, as monospaced text's do.
    bool monospaced = false;
};

struct CellLine {
    std::vector<CellSpan> spans;
    int columns = 0;
};

// Adds `span` at the end of `line`, joined to the last span when their styles are the same.
void append(CellLine& line, const CellSpan& span);
// `text` as a line in one style.
CellLine lineOf(std::string text, const CellStyle& style = {});

struct CellParagraph {
    std::vector<CellSpan> spans;
    // Lines wrap between words to this many columns; unset, they break only at line feeds.
    std::optional<int> width;
    // At most this many lines; 0 for no limit. The last kept line ends in "…" when more followed.
    int maxLines = 0;
};

struct CellTextLayout {
    std::vector<CellLine> lines;
    // The widest line's columns.
    int columns = 0;
    bool truncated = false;
};

// The line as it fits in `columns`: whole, or the characters that fit before a "…".
CellLine fitted(CellLine line, int columns);
// Draws the line's spans from (x, y), within `clip` when given; returns the column after it.
int drawLine(CellCanvas& canvas, int x, int y, const CellLine& line,
             std::optional<CellRect> clip = std::nullopt);

// Lays the paragraph out in lines; at least one.
CellTextLayout layOutCells(const CellParagraph& paragraph);

} // namespace Graphics
