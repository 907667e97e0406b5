// The grid of cells, and the frames, pictures and colours drawn into it.
#include "Cells.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace Graphics {

CellRect CellRect::intersection(const CellRect& other) const {
    const int left = std::max(x, other.x), top = std::max(y, other.y);
    const int right = std::min(maxX(), other.maxX()), bottom = std::min(maxY(), other.maxY());
    if (right <= left || bottom <= top)
        return {left, top, 0, 0};
    return {left, top, right - left, bottom - top};
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
    forEachCellCharacter(text, [&](std::string_view character) {
        auto [glyph, columns] = isLineBreak(character) || character == "\t"
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

} // namespace Graphics
