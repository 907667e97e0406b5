#include "CellPainter.h"

#include <algorithm>
#include <cmath>

namespace SwiftUI {

CellPainter::CellPainter(Graphics::CellCanvas& canvas, Focus focus, bool styled)
    : m_canvas(canvas), m_focus(std::move(focus)), m_styled(styled) {}

void CellPainter::draw(const Element& element) {
    element.node->drawCells(element, *this);
}

void CellPainter::drawChildren(const Element& element) {
    for (const auto& child : element.children) {
        draw(*child);
    }
}

Graphics::CellRect CellPainter::cells(const Rect& frame) {
    const auto whole = [](double value) { return int(std::lround(value)); };
    const int x = whole(frame.minX()), y = whole(frame.minY());
    return {x, y, whole(frame.maxX()) - x, whole(frame.maxY()) - y};
}

Graphics::CellRect CellPainter::clip(const Graphics::CellRect& rect) const {
    return m_clip ? rect.intersection(*m_clip) : rect;
}

Graphics::CellStyle CellPainter::shown(Graphics::CellStyle style) const {
    style.dim = style.dim || m_dimmed;
    return style;
}

int CellPainter::text(int x, int y, std::string_view text, Graphics::CellStyle style) {
    return m_canvas.text(x, y, text, shown(style), m_clip);
}

void CellPainter::paragraph(const StyledText& text, const Rect& frame,
                            const Graphics::CellStyle& base) {
    const Graphics::CellTextLayout layout = Graphics::layOutCells(cellParagraph(text, base));
    const Graphics::CellRect area = cells(frame);
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
        const Graphics::CellLine& line = layout.lines[i];
        // The widest line starts at the frame's edge; the others are aligned against it.
        int x = area.x;
        if (text.alignment == TextAlignment::Center) {
            x += (layout.columns - line.columns) / 2;
        } else if (text.alignment == TextAlignment::Trailing) {
            x += layout.columns - line.columns;
        }
        for (const Graphics::CellSpan& span : line.spans) {
            x = this->text(x, area.y + int(i), span.text, span.style);
        }
    }
}

void CellPainter::fill(const Graphics::CellRect& rect, Graphics::CellStyle style,
                       std::string_view glyph) {
    m_canvas.fill(clip(rect), shown(style), glyph);
}

bool CellPainter::isBlank(const Graphics::CellRect& rect) const {
    return m_canvas.isBlank(clip(rect));
}

void CellPainter::box(const Graphics::CellRect& rect, Graphics::CellStyle style) {
    Graphics::drawFrame(m_canvas, rect, shown(style), Graphics::FrameCorners::Round, m_clip);
}

bool CellPainter::isFocused(const Element& element) const {
    return !m_focus.identity.empty() && element.identity == m_focus.identity;
}

void CellPainter::showFocus(const Graphics::CellRect& rect, bool highlight, FocusMarks marks) {
    m_focusRect = rect;
    if (highlight) {
        restyle(rect, [](Graphics::CellStyle& style) { style.inverse = !style.inverse; });
    }
    if (m_styled) {
        return;
    }
    if (marks == FocusMarks::InsideBrackets) {
        text(rect.x + 1, rect.y, "›", {});
        text(rect.maxX() - 2, rect.y, "‹", {});
        return;
    }
    // In the blank cell beside the control, or, with none there, in the control's own cell.
    const auto mark = [&](int outside, int inside, std::string_view glyph) {
        const Graphics::CellRect beside = clip({outside, rect.y, 1, 1});
        const bool room = !beside.intersection(m_canvas.bounds()).isEmpty() && isBlank(beside);
        text(room ? outside : inside, rect.y, glyph, {});
    };
    mark(rect.x - 1, rect.x, "›");
    mark(rect.maxX(), rect.maxX() - 1, "‹");
}

} // namespace SwiftUI
