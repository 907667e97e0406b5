#include "TerminalWindow.h"

#include "TerminalPopUp.h"
#include "TerminalViews.h"

#include <algorithm>
#include <cmath>

namespace AppKit {

namespace {

using Graphics::CellCanvas;
using Graphics::CellPoint;
using Graphics::CellRect;

// The narrowest a window of stacks and labels is laid out, whatever its size says.
constexpr int narrowest = 20;

HostedView::CellDrawing content(Window& window, int width) {
    const auto& view = window.contentView();
    if (!view)
        return {};
    if (auto* hosted = dynamic_cast<HostedView*>(view.get()))
        return hosted->drawCells(width);
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

void TerminalWindow::page(int pages) {
    scroll(pages * std::max(1, m_page - 1));
}

void TerminalWindow::scroll(int lines) {
    m_offset = std::clamp(m_offset + lines, 0, m_overflow);
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
                                              const CellRect& area) {
    if (area.width < 3 || area.height < 3)
        return std::nullopt;
    const Graphics::CellLine title = Graphics::lineOf(window.title(), {.bold = true});
    HostedView::CellDrawing drawn = content(window, area.width - 2);
    m_hints = std::move(drawn.hints);
    const int inner =
        std::clamp(std::max(drawn.canvas.width(), title.columns + 4), 1, area.width - 2);
    m_page = std::clamp(drawn.canvas.height(), 1, area.height - 2);
    m_overflow = std::max(0, drawn.canvas.height() - m_page);
    if (drawn.focus && drawn.focus != m_focus)
        bringIntoView(*drawn.focus);
    if (drawn.cursor && drawn.cursor != m_cursor)
        bringIntoView({drawn.cursor->x, drawn.cursor->y, 1, 1});
    m_focus = drawn.focus;
    m_cursor = drawn.cursor;
    m_offset = std::clamp(m_offset, 0, m_overflow);

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
