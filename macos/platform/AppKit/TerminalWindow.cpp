#include "TerminalWindow.h"

#include "TerminalPopUp.h"
#include "TerminalViews.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace AppKit {

namespace {

using Graphics::CellCanvas;
using Graphics::CellPoint;
using Graphics::CellRect;

// The narrowest a window of stacks and labels is laid out, whatever its size says.
constexpr int narrowest = 20;

HostedView::CellDrawing content(Window& window, int width, bool styled) {
    const auto& view = window.contentView();
    if (!view)
        return {};
    if (auto* hosted = dynamic_cast<HostedView*>(view.get()))
        return hosted->drawCells(width, styled);
    const int wanted =
        static_cast<int>(std::lround(window.contentSize().width / TerminalViews::pointsPerColumn));
    HostedView::CellDrawing drawing;
    drawing.canvas = TerminalViews::view(*view, std::min(width, std::max(narrowest, wanted)));
    return drawing;
}

} // namespace

void TerminalWindow::bringIntoView(const CellRect& rect) {
    if (rect.y < m_offset)
        m_offset = rect.y;
    else if (rect.maxY() > m_offset + m_page)
        m_offset = std::min(rect.y, rect.maxY() - m_page);
}

CellRect TerminalWindow::sight(const CellRect& focus, std::optional<int> top) const {
    if (!top || focus.maxY() - *top > m_page)
        return focus;
    const int from = std::min(*top, focus.y);
    return {focus.x, from, focus.width, focus.maxY() - from};
}

bool TerminalWindow::inSight(const CellRect& rect) const {
    return rect.y >= m_offset && rect.y + std::min(rect.height, m_page) <= m_offset + m_page;
}

void TerminalWindow::follow(const CellRect& news, const std::optional<CellRect>& focus) {
    const int before = m_offset;
    bringIntoView(news);
    m_offset = std::clamp(m_offset, 0, m_overflow);
    if (focus && !inSight(*focus))
        m_offset = before;
}

std::optional<CellRect> TerminalWindow::news(const CellCanvas& content, int width) {
    std::vector<std::string> rows;
    for (int y = 0; y < content.height(); ++y) {
        std::string row = content.plainLine(y);
        const auto first = row.find_first_not_of(' ');
        rows.push_back(first == std::string::npos
                           ? std::string()
                           : row.substr(first, row.find_last_not_of(' ') - first + 1));
    }
    // A row that only moved, as rows do when something above them grows, is not news.
    std::optional<CellRect> found;
    if (!m_rows.empty() && width == m_width) {
        const std::unordered_set<std::string> before(m_rows.begin(), m_rows.end());
        for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
            if (rows[y].empty() || before.contains(rows[y]))
                continue;
            const int top = found ? found->y : y;
            found = CellRect{0, top, content.width(), y + 1 - top};
        }
    }
    m_width = width;
    m_rows = std::move(rows);
    return found;
}

void TerminalWindow::page(int pages) {
    scroll(pages * std::max(1, m_page - 1));
}

void TerminalWindow::scroll(int lines) {
    m_offset = std::clamp(m_offset + lines, 0, m_overflow);
    m_scrolledByUser = true;
}

void TerminalWindow::drawPopUp(CellCanvas& screen, const HostedView::CellPopUp& popUp,
                               CellPoint origin, const CellRect& room) {
    const CellRect control{origin.x + popUp.control.x, origin.y + popUp.control.y,
                           popUp.control.width, popUp.control.height};
    const TerminalPopUp::Request request{popUp.rows.height(),
                                         popUp.rows.width(),
                                         {control.x, control.maxY()},
                                         control.y,
                                         popUp.marked};
    const TerminalPopUp::Placement placement = TerminalPopUp::place(request, room);
    TerminalPopUp::frame(screen, placement, popUp.rows.height());
    const CellRect inside = placement.inside();
    screen.draw(popUp.rows, inside.x, inside.y - placement.first, inside);
}

std::optional<CellPoint> TerminalWindow::draw(Window& window, CellCanvas& screen,
                                              const CellRect& area, bool styled) {
    if (area.width < 3 || area.height < 3)
        return std::nullopt;
    const Graphics::CellLine title = Graphics::lineOf(window.title(), {.bold = true});
    HostedView::CellDrawing drawn = content(window, area.width - 2, styled);
    m_hints = std::move(drawn.hints);
    const int inner =
        std::clamp(std::max(drawn.canvas.width(), title.columns + 4), 1, area.width - 2);
    m_page = std::clamp(drawn.canvas.height(), 1, area.height - 2);
    m_overflow = std::max(0, drawn.canvas.height() - m_page);
    const auto focus = drawn.focus ? std::optional(sight(*drawn.focus, drawn.top)) : std::nullopt;
    if (!m_scrolledByUser && focus)
        bringIntoView(*focus);
    if (!m_scrolledByUser && drawn.cursor)
        bringIntoView({drawn.cursor->x, drawn.cursor->y, 1, 1});
    m_offset = std::clamp(m_offset, 0, m_overflow);
    const auto changed = news(drawn.canvas, area.width);
    if (!m_scrolledByUser && changed)
        follow(*changed, focus);

    const CellRect box{area.x + (area.width - inner - 2) / 2, area.y, inner + 2, m_page + 2};
    TerminalViews::frame(screen, box, title);
    const CellRect inside{box.x + 1, box.y + 1, inner, m_page};
    screen.draw(drawn.canvas, inside.x, inside.y - m_offset, inside);
    const auto mark = [&](int y, std::string_view text) {
        screen.text(box.maxX() - 2 - Graphics::columnsOf(text), y, text, {.dim = true}, box);
    };
    if (m_offset > 0)
        mark(box.y, " ↑ PgUp ");
    if (m_offset < m_overflow)
        mark(box.maxY() - 1, " ↓ PgDn ");
    if (drawn.popUp)
        drawPopUp(screen, *drawn.popUp, {inside.x, inside.y - m_offset}, area);
    if (!drawn.cursor)
        return std::nullopt;
    const CellPoint shown{inside.x + drawn.cursor->x, inside.y + drawn.cursor->y - m_offset};
    return inside.contains(shown) ? std::optional(shown) : std::nullopt;
}

} // namespace AppKit
