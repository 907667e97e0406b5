#include "Cells.h"

#include <Foundation/Unicode.h>
#include <algorithm>
#include <iterator>
#include <unicode/uchar.h>
#include <utility>

namespace Graphics {

namespace {

constexpr std::string_view replacement = "\uFFFD";
constexpr std::string_view ellipsis = "…";

int scalarColumns(char32_t scalar) {
    if (isControlScalar(scalar))
        return 1;
    const auto category = static_cast<UCharCategory>(u_charType(static_cast<UChar32>(scalar)));
    if (category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK || category == U_FORMAT_CHAR)
        return 0;
    const auto width = u_getIntPropertyValue(static_cast<UChar32>(scalar), UCHAR_EAST_ASIAN_WIDTH);
    return width == U_EA_WIDE || width == U_EA_FULLWIDTH ? 2 : 1;
}

bool isRegionalIndicator(char32_t scalar) {
    return scalar >= 0x1F1E6 && scalar <= 0x1F1FF;
}

// The columns of one character: wide when any scalar is, when an emoji asks for its picture
// form, or for a flag (two regional indicators).
int characterColumns(std::string_view character) {
    int columns = 0;
    int indicators = 0;
    for (const char32_t scalar : Foundation::Unicode::scalars(character)) {
        if (scalar == 0xFE0F)
            columns = 2;
        indicators += isRegionalIndicator(scalar) ? 1 : 0;
        columns = std::max(columns, scalarColumns(scalar));
    }
    return indicators >= 2 ? 2 : columns;
}

// The character as drawn in one cell or two: a control character as U+FFFD, a character of
// marks alone on a dotted circle, as terminals that draw them at all do.
std::pair<std::string, int> drawable(std::string_view character) {
    const char32_t first = Foundation::Unicode::firstScalar(character);
    if (isControlScalar(first) || printable(character) != character)
        return {std::string(replacement), 1};
    const int columns = characterColumns(character);
    if (columns == 0)
        return {"\u25CC" + std::string(character), 1};
    return {std::string(character), columns};
}

std::string colourCode(CellColor color, bool background) {
    const int base = background ? 40 : 30;
    switch (color) {
    case CellColor::Default:
        return {};
    case CellColor::Black:
        return std::to_string(base);
    case CellColor::Red:
        return std::to_string(base + 1);
    case CellColor::Green:
        return std::to_string(base + 2);
    case CellColor::Yellow:
        return std::to_string(base + 3);
    case CellColor::Blue:
        return std::to_string(base + 4);
    case CellColor::Magenta:
        return std::to_string(base + 5);
    case CellColor::Cyan:
        return std::to_string(base + 6);
    case CellColor::White:
        return std::to_string(base + 7);
    case CellColor::Gray:
        return std::to_string(base + 60);
    case CellColor::Orange:
        return background ? "48;5;208" : "38;5;208";
    }
    return {};
}

std::string sgr(const CellStyle& style) {
    std::string codes = "0";
    const auto add = [&](const std::string& code) {
        if (!code.empty())
            codes += ";" + code;
    };
    add(style.bold ? "1" : "");
    add(style.dim ? "2" : "");
    add(style.underline ? "4" : "");
    add(style.inverse ? "7" : "");
    add(colourCode(style.foreground, false));
    add(colourCode(style.background, true));
    return "\x1b[" + codes + "m";
}

} // namespace

CellRect CellRect::intersection(const CellRect& other) const {
    const int left = std::max(x, other.x), top = std::max(y, other.y);
    const int right = std::min(maxX(), other.maxX()), bottom = std::min(maxY(), other.maxY());
    if (right <= left || bottom <= top)
        return {left, top, 0, 0};
    return {left, top, right - left, bottom - top};
}

int columnsOf(std::string_view text) {
    int columns = 0;
    Foundation::Unicode::forEachCharacter(text, [&](std::string_view character) {
        columns += drawable(character).second;
        return true;
    });
    return columns;
}

CellCanvas::CellCanvas(int width, int height)
    : m_width(std::max(0, width)), m_height(std::max(0, height)),
      m_cells(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height)) {}

const Cell& CellCanvas::at(int x, int y) const {
    static const Cell blank;
    if (!bounds().contains({x, y}))
        return blank;
    return m_cells[index(x, y)];
}

bool CellCanvas::isBlank(const CellRect& rect) const {
    const CellRect area = rect.intersection(bounds());
    for (int y = area.y; y < area.maxY(); ++y)
        for (int x = area.x; x < area.maxX(); ++x)
            if (m_cells[index(x, y)].glyph != " ")
                return false;
    return true;
}

void CellCanvas::put(int x, int y, std::string glyph, int columns, const CellStyle& style) {
    // Whatever half of a wide character this overwrites loses its other half too.
    for (int column = x; column < x + columns; ++column) {
        Cell& cell = m_cells[index(column, y)];
        if (cell.continuation && column > 0)
            m_cells[index(column - 1, y)] = Cell{" ", m_cells[index(column - 1, y)].style, false};
        if (column + 1 < m_width && m_cells[index(column + 1, y)].continuation)
            m_cells[index(column + 1, y)] = Cell{" ", cell.style, false};
    }
    m_cells[index(x, y)] = Cell{std::move(glyph), style, false};
    if (columns == 2)
        m_cells[index(x + 1, y)] = Cell{"", style, true};
}

int CellCanvas::text(int x, int y, std::string_view text, const CellStyle& style,
                     std::optional<CellRect> clip) {
    const CellRect area = clip ? clip->intersection(bounds()) : bounds();
    int column = x;
    Foundation::Unicode::forEachCharacter(text, [&](std::string_view character) {
        auto [glyph, columns] = character == "\n" || character == "\r\n" || character == "\t"
                                    ? std::pair<std::string, int>{" ", 1}
                                    : drawable(character);
        if (area.contains({column, y}) && area.contains({column + columns - 1, y}))
            put(column, y, std::move(glyph), columns, style);
        column += columns;
        return column < area.maxX();
    });
    return column;
}

void CellCanvas::fill(const CellRect& rect, const CellStyle& style, std::string_view glyph) {
    const CellRect area = rect.intersection(bounds());
    const std::string shown = printable(glyph);
    for (int y = area.y; y < area.maxY(); ++y)
        for (int x = area.x; x < area.maxX(); ++x)
            put(x, y, shown, 1, style);
}

void CellCanvas::draw(const CellCanvas& source, int x, int y, std::optional<CellRect> clip) {
    const CellRect area = (clip ? clip->intersection(bounds()) : bounds())
                              .intersection({x, y, source.width(), source.height()});
    for (int row = area.y; row < area.maxY(); ++row) {
        for (int column = area.x; column < area.maxX(); ++column) {
            const Cell& cell = source.at(column - x, row - y);
            if (cell.continuation) {
                // Only with the half before it, which put it there.
                if (column == area.x)
                    put(column, row, " ", 1, cell.style);
                continue;
            }
            const bool wide = source.at(column - x + 1, row - y).continuation;
            if (wide && column + 1 >= area.maxX())
                put(column, row, " ", 1, cell.style);
            else
                put(column, row, cell.glyph, wide ? 2 : 1, cell.style);
        }
    }
}

void CellCanvas::resize(int width, int height) {
    CellCanvas resized(width, height);
    resized.draw(*this, 0, 0);
    *this = std::move(resized);
}

std::string CellCanvas::ansiLine(int y, bool colour) const {
    std::string line;
    std::optional<CellStyle> current;
    for (int x = 0; x < m_width; ++x) {
        const Cell& cell = at(x, y);
        if (cell.continuation)
            continue;
        if (colour && current != cell.style) {
            line += sgr(cell.style);
            current = cell.style;
        }
        line += cell.glyph;
    }
    if (colour)
        line += "\x1b[0m";
    return line;
}

std::string CellCanvas::plainLine(int y) const {
    std::string line;
    for (int x = 0; x < m_width; ++x) {
        if (!at(x, y).continuation)
            line += at(x, y).glyph;
    }
    line.erase(line.find_last_not_of(' ') + 1);
    return line;
}

CellStyle namedColourStyle(std::string_view name) {
    static constexpr std::pair<std::string_view, CellColor> colours[] = {
        {"red", CellColor::Red},
        {"orange", CellColor::Orange},
        {"systemOrange", CellColor::Orange},
        {"green", CellColor::Green},
        {"systemGreen", CellColor::Green},
        {"blue", CellColor::Blue},
        {"accent", CellColor::Blue},
        {"systemCyan", CellColor::Cyan},
        {"systemGray", CellColor::Gray},
        {"white", CellColor::White},
    };
    static constexpr std::string_view faint[] = {"secondary", "tertiary", "quaternary", "separator",
                                                 "secondaryLabelColor"};
    CellStyle style;
    for (const auto& [named, colour] : colours)
        if (named == name)
            style.foreground = colour;
    style.dim = std::find(std::begin(faint), std::end(faint), name) != std::end(faint);
    return style;
}

std::string_view halfBlock(bool upperDark, bool lowerDark) {
    return upperDark && lowerDark ? "█" : upperDark ? "▀" : lowerDark ? "▄" : " ";
}

void drawFrame(CellCanvas& canvas, const CellRect& rect, const CellStyle& style,
               FrameCorners corners, std::optional<CellRect> clip) {
    if (rect.width < 2 || rect.height < 2)
        return;
    const CellRect area = clip ? *clip : canvas.bounds();
    const auto blank = [&](const CellRect& part) {
        return canvas.isBlank(part.intersection(area));
    };
    const auto line = [&](const CellRect& part, std::string_view glyph) {
        canvas.fill(part.intersection(area), style, glyph);
    };
    const bool round = corners == FrameCorners::Round;
    const int right = rect.maxX() - 1, bottom = rect.maxY() - 1;
    const bool top = blank({rect.x, rect.y, rect.width, 1});
    const bool base = blank({rect.x, bottom, rect.width, 1});
    const int first = top ? rect.y + 1 : rect.y, last = base ? bottom - 1 : bottom;
    for (const int x : {rect.x, right}) {
        const CellRect side{x, first, 1, last - first + 1};
        if (blank(side))
            line(side, "│");
    }
    if (top) {
        line({rect.x + 1, rect.y, rect.width - 2, 1}, "─");
        line({rect.x, rect.y, 1, 1}, round ? "╭" : "┌");
        line({right, rect.y, 1, 1}, round ? "╮" : "┐");
    }
    if (base) {
        line({rect.x + 1, bottom, rect.width - 2, 1}, "─");
        line({rect.x, bottom, 1, 1}, round ? "╰" : "└");
        line({right, bottom, 1, 1}, round ? "╯" : "┘");
    }
}

namespace {

struct Word {
    std::vector<CellSpan> pieces;
    int columns = 0;
};

// Keeps whole characters of `line` that fit in `columns` with an ellipsis after them.
void endWithEllipsis(CellLine& line, int columns) {
    const int room = std::max(0, columns - 1);
    CellLine cut;
    bool full = false;
    for (const CellSpan& span : line.spans) {
        CellSpan kept{{}, span.style};
        Foundation::Unicode::forEachCharacter(span.text, [&](std::string_view character) {
            const int width = drawable(character).second;
            full = cut.columns + width > room;
            if (full)
                return false;
            kept.text += character;
            cut.columns += width;
            return true;
        });
        if (!kept.text.empty())
            cut.spans.push_back(std::move(kept));
        // A narrower character after the first that did not fit would skip it.
        if (full)
            break;
    }
    const CellStyle style = line.spans.empty() ? CellStyle{} : line.spans.back().style;
    while (!cut.spans.empty() && !cut.spans.back().text.empty() &&
           cut.spans.back().text.back() == ' ') {
        cut.spans.back().text.pop_back();
        --cut.columns;
    }
    cut.spans.push_back({std::string(ellipsis), style});
    cut.columns += 1;
    line = std::move(cut);
}

void append(CellLine& line, const CellSpan& span, int columns) {
    if (!line.spans.empty() && line.spans.back().style == span.style)
        line.spans.back().text += span.text;
    else
        line.spans.push_back(span);
    line.columns += columns;
}

} // namespace

void append(CellLine& line, const CellSpan& span) {
    append(line, span, columnsOf(span.text));
}

CellLine lineOf(std::string text, const CellStyle& style) {
    CellLine line;
    append(line, {std::move(text), style});
    return line;
}

CellLine fitted(CellLine line, int columns) {
    if (line.columns > columns)
        endWithEllipsis(line, columns);
    return line;
}

int drawLine(CellCanvas& canvas, int x, int y, const CellLine& line, std::optional<CellRect> clip) {
    for (const CellSpan& span : line.spans)
        x = canvas.text(x, y, span.text, span.style, clip);
    return x;
}

CellTextLayout layOutCells(const CellParagraph& paragraph) {
    CellTextLayout layout;
    const int width = paragraph.width ? std::max(1, *paragraph.width) : 0;
    std::vector<CellLine> lines(1);
    Word word;
    bool pendingSpace = false;
    CellStyle spaceStyle;

    const auto placeWord = [&] {
        if (word.pieces.empty())
            return;
        CellLine* line = &lines.back();
        const int space = pendingSpace && line->columns > 0 ? 1 : 0;
        if (width > 0 && line->columns > 0 && line->columns + space + word.columns > width) {
            lines.emplace_back();
            line = &lines.back();
        } else if (space) {
            append(*line, {" ", spaceStyle}, 1);
        }
        // A word wider than a whole line breaks between its characters.
        for (const CellSpan& piece : word.pieces) {
            Foundation::Unicode::forEachCharacter(piece.text, [&](std::string_view character) {
                const int columns = drawable(character).second;
                if (width > 0 && lines.back().columns > 0 && lines.back().columns + columns > width)
                    lines.emplace_back();
                append(lines.back(), {std::string(character), piece.style}, columns);
                return true;
            });
        }
        word = {};
        pendingSpace = false;
    };

    for (const CellSpan& span : paragraph.spans) {
        Foundation::Unicode::forEachCharacter(span.text, [&](std::string_view character) {
            if (character == "\n" || character == "\r\n") {
                placeWord();
                lines.emplace_back();
                pendingSpace = false;
            } else if (character == " " || character == "\t") {
                placeWord();
                if (lines.back().columns > 0)
                    pendingSpace = true;
                spaceStyle = span.style;
            } else {
                if (word.pieces.empty() || !(word.pieces.back().style == span.style))
                    word.pieces.push_back({{}, span.style});
                word.pieces.back().text += character;
                word.columns += drawable(character).second;
            }
            return true;
        });
    }
    placeWord();

    if (paragraph.maxLines > 0 && lines.size() > static_cast<std::size_t>(paragraph.maxLines)) {
        lines.resize(static_cast<std::size_t>(paragraph.maxLines));
        const int room = width > 0 ? width : lines.back().columns + 1;
        endWithEllipsis(lines.back(), std::min(room, lines.back().columns + 1));
        layout.truncated = true;
    }
    for (const CellLine& line : lines)
        layout.columns = std::max(layout.columns, line.columns);
    layout.lines = std::move(lines);
    return layout;
}

} // namespace Graphics
