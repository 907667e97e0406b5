#include "Painter.h"

#include <algorithm>
#include <cairo.h>
#include <numbers>

namespace SwiftUI {

namespace {

void setColor(cairo_t* cairo, const Graphics::Color& color) {
    cairo_set_source_rgba(cairo, color.red, color.green, color.blue, color.alpha);
}

} // namespace

void Painter::draw(const Element& element) {
    element.node->draw(element, *this);
}

void Painter::drawChildren(const Element& element) {
    for (const auto& child : element.children) {
        draw(*child);
    }
}

void Painter::roundedRectPath(Rect rect, double radius) {
    double r = std::clamp(radius, 0.0, std::min(rect.width(), rect.height()) / 2);
    constexpr double pi = std::numbers::pi;
    cairo_new_sub_path(m_cairo);
    cairo_arc(m_cairo, rect.maxX() - r, rect.minY() + r, r, -pi / 2, 0);
    cairo_arc(m_cairo, rect.maxX() - r, rect.maxY() - r, r, 0, pi / 2);
    cairo_arc(m_cairo, rect.minX() + r, rect.maxY() - r, r, pi / 2, pi);
    cairo_arc(m_cairo, rect.minX() + r, rect.minY() + r, r, pi, 3 * pi / 2);
    cairo_close_path(m_cairo);
}

void Painter::fillRoundedRect(Rect rect, double radius, const Graphics::Color& color) {
    if (rect.width() <= 0 || rect.height() <= 0 || color.alpha <= 0) {
        return;
    }
    cairo_save(m_cairo);
    roundedRectPath(rect, radius);
    setColor(m_cairo, color);
    cairo_fill(m_cairo);
    cairo_restore(m_cairo);
}

void Painter::strokeRoundedRect(Rect rect, double radius, const Graphics::Color& color,
                                double lineWidth) {
    if (rect.width() <= lineWidth || rect.height() <= lineWidth || color.alpha <= 0) {
        return;
    }
    double inset = lineWidth / 2;
    Rect inner{{rect.minX() + inset, rect.minY() + inset},
               {rect.width() - lineWidth, rect.height() - lineWidth}};
    cairo_save(m_cairo);
    roundedRectPath(inner, std::max(0.0, radius - inset));
    setColor(m_cairo, color);
    cairo_set_line_width(m_cairo, lineWidth);
    cairo_stroke(m_cairo);
    cairo_restore(m_cairo);
}

void Painter::fillEllipse(Rect rect, const Graphics::Color& color) {
    if (rect.width() <= 0 || rect.height() <= 0) {
        return;
    }
    cairo_save(m_cairo);
    cairo_translate(m_cairo, rect.minX() + rect.width() / 2, rect.minY() + rect.height() / 2);
    cairo_scale(m_cairo, rect.width() / 2, rect.height() / 2);
    cairo_arc(m_cairo, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_restore(m_cairo);
    cairo_save(m_cairo);
    setColor(m_cairo, color);
    cairo_fill(m_cairo);
    cairo_restore(m_cairo);
}

void Painter::line(Point from, Point to, const Graphics::Color& color, double width) {
    cairo_save(m_cairo);
    cairo_move_to(m_cairo, from.x, from.y);
    cairo_line_to(m_cairo, to.x, to.y);
    setColor(m_cairo, color);
    cairo_set_line_width(m_cairo, width);
    cairo_set_line_cap(m_cairo, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(m_cairo);
    cairo_restore(m_cairo);
}

void Painter::text(const Graphics::TextLayout& layout, Point origin, const Graphics::Color& color) {
    layout.draw(m_cairo, origin, color);
}

void Painter::beginGroup() {
    cairo_push_group(m_cairo);
}

void Painter::endGroup(double opacity) {
    cairo_pop_group_to_source(m_cairo);
    cairo_paint_with_alpha(m_cairo, opacity);
}

void Painter::beginClip(Rect rect) {
    cairo_save(m_cairo);
    cairo_rectangle(m_cairo, rect.minX(), rect.minY(), rect.width(), rect.height());
    cairo_clip(m_cairo);
}

void Painter::endClip() {
    cairo_restore(m_cairo);
}

} // namespace SwiftUI
