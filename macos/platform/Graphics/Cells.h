// Character cells: what a terminal shows, as a grid that painters draw into.
//
// A canvas is a grid of cells, each holding one character as a terminal keeps
// it (CellCharacters.h) and its style. A character that a terminal shows two
// columns wide takes its cell and the next, which is marked as its
// continuation. Every text is drawn through `text`, which draws each character
// in its drawable form, so nothing drawn can reach a terminal as an escape
// sequence or a change of direction. Drawing outside the canvas or the clip
// rectangle is dropped; a wide character that does not fit whole is dropped
// too. Frames, half blocks for pictures and the platform's named colours are
// drawn here too; text laid out in lines is CellText.h's, and rows as terminal
// output CellOutput.h's.
#pragma once

#include "CellCharacters.h"

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

} // namespace Graphics
