// Character cells: what a terminal shows, as a grid that painters draw into.
//
// A canvas is a grid of cells, each holding one character (an extended
// grapheme cluster) and its style. A character that a terminal shows two
// columns wide takes its cell and the next, which is marked as its
// continuation. Every text is drawn through `text`, which shows control
// characters (C0, DEL, C1) and invalid UTF-8 as U+FFFD, so nothing drawn can
// reach a terminal as an escape sequence. Drawing outside the canvas or the
// clip rectangle is dropped; a wide character that does not fit whole is
// dropped too.
//
// `ansiLine` turns a row into terminal output: the characters with SGR
// escapes for their styles (none when colour is off), each line ending with
// its attributes reset.
#pragma once

#include <Foundation/Printable.h>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Graphics {

struct CellPoint {
    int x = 0;
    int y = 0;
    bool operator==(const CellPoint&) const = default;
};

struct CellRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int maxX() const { return x + width; }
    int maxY() const { return y + height; }
    bool isEmpty() const { return width <= 0 || height <= 0; }
    bool contains(CellPoint p) const {
        return p.x >= x && p.x < maxX() && p.y >= y && p.y < maxY();
    }
    CellRect intersection(const CellRect& other) const;
    bool operator==(const CellRect&) const = default;
};

// The colours a terminal names; `Default` is the terminal's own.
enum class CellColor : std::uint8_t {
    Default,
    Black,
    Red,
    Green,
    Yellow,
    Blue,
    Magenta,
    Cyan,
    White,
    Gray,
    Orange,
};

struct CellStyle {
    CellColor foreground = CellColor::Default;
    CellColor background = CellColor::Default;
    bool bold = false;
    bool dim = false;
    bool underline = false;
    bool inverse = false;
    bool operator==(const CellStyle&) const = default;
};

struct Cell {
    std::string glyph = " ";
    CellStyle style{};
    // The right half of the wide character in the cell before.
    bool continuation = false;
    bool operator==(const Cell&) const = default;
};

// Cells show text by the rule every text from outside is written by: control characters (C0,
// DEL, C1) and invalid UTF-8 as U+FFFD.
using Foundation::isControlScalar;
using Foundation::printable;
// How many columns a terminal gives the text: two for wide characters, none for a character
// that is only combining marks, one for every other (a control character among them, as
// `printable` shows it).
int columnsOf(std::string_view text);

class CellCanvas {
public:
    CellCanvas() = default;
    CellCanvas(int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }
    CellRect bounds() const { return {0, 0, m_width, m_height}; }
    const Cell& at(int x, int y) const;
    // Whether every cell of `rect` inside the canvas holds a space.
    bool isBlank(const CellRect& rect) const;

    // Draws one line of text from (x, y), within `clip` when given; line breaks and tabs show as
    // one space each. Returns the column after the last character drawn or skipped.
    int text(int x, int y, std::string_view text, const CellStyle& style,
             std::optional<CellRect> clip = std::nullopt);
    // Sets every cell of `rect` to `glyph` (one column wide) in `style`.
    void fill(const CellRect& rect, const CellStyle& style, std::string_view glyph = " ");
    // Changes the style of every cell of `rect`, keeping the characters.
    template <typename Change> void restyle(const CellRect& rect, Change&& change) {
        const CellRect area = rect.intersection(bounds());
        for (int y = area.y; y < area.maxY(); ++y)
            for (int x = area.x; x < area.maxX(); ++x)
                change(m_cells[index(x, y)].style);
    }
    // Copies `source` with its top-left corner at (x, y), within `clip` when given.
    void draw(const CellCanvas& source, int x, int y, std::optional<CellRect> clip = std::nullopt);
    // Grows or shrinks the canvas, keeping what stays inside; new cells are blank.
    void resize(int width, int height);

    // Row `y` as terminal output, with SGR escapes when `colour`.
    std::string ansiLine(int y, bool colour) const;
    // Row `y` as plain text, wide characters once, without trailing spaces.
    std::string plainLine(int y) const;

private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
               static_cast<std::size_t>(x);
    }
    // Puts one character of `columns` columns at (x, y), clearing what it overlaps.
    void put(int x, int y, std::string glyph, int columns, const CellStyle& style);

    int m_width = 0;
    int m_height = 0;
    std::vector<Cell> m_cells;
};

// How text in one of the platform's named colours shows, by either framework's name for it
// ("green", "systemGreen"): in the terminal's colour of that name, dimmed for the fainter label
// styles ("secondary", "secondaryLabelColor"), and as the terminal's own text otherwise.
CellStyle namedColourStyle(std::string_view name);

// Pictures show in half blocks, black on white, so that a code in one reads on a dark terminal
// too.
inline constexpr CellStyle pictureStyle{.foreground = CellColor::Black,
                                        .background = CellColor::White};
// The half block that shows two pixels one over the other: "█", "▀", "▄" or a space.
std::string_view halfBlock(bool upperDark, bool lowerDark);

enum class FrameCorners { Square, Round };
// A frame of lines just inside `rect`, within `clip` when given, drawn only through blank cells:
// the top or the bottom edge, with its corners, when all of it is blank, and each side, between
// the edges drawn, when all of it is. Over cells just cleared it is whole. Nothing is drawn in a
// rect narrower or lower than two cells.
void drawFrame(CellCanvas& canvas, const CellRect& rect, const CellStyle& style,
               FrameCorners corners, std::optional<CellRect> clip = std::nullopt);

// A run of text in one style, for wrapping.
struct CellSpan {
    std::string text;
    CellStyle style{};
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

// Lays text out in cells as the point text layout does: wrapping between words, within a word
// only when the word alone is wider than the line, a line feed ending a line; at least one line.
CellTextLayout layOutCells(const CellParagraph& paragraph);

} // namespace Graphics
