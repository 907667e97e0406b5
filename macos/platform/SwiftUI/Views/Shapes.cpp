#include "Core/CellPainter.h"
#include "Core/Description.h"
#include "Core/Metrics.h"
#include "Core/Painter.h"

#include <SwiftUI/Shapes.h>
#include <algorithm>

namespace SwiftUI {

namespace {

const char* kindName(ShapeKind kind) {
    switch (kind) {
    case ShapeKind::Rectangle:
        return "Rectangle";
    case ShapeKind::RoundedRectangle:
        return "RoundedRectangle";
    case ShapeKind::Capsule:
        return "Capsule";
    case ShapeKind::Circle:
        return "Circle";
    }
    return "Shape";
}

struct Stroke {
    Color color;
    double width;
};

class ShapeNode final : public Node {
public:
    ShapeNode(ShapeKind kind, double radius, std::optional<Color> fill,
              std::optional<Stroke> stroke)
        : m_kind(kind), m_radius(radius), m_fill(fill), m_stroke(stroke) {}

    std::shared_ptr<const Node> filled(Color color) const {
        return std::make_shared<ShapeNode>(m_kind, m_radius, color, m_stroke);
    }
    std::shared_ptr<const Node> stroked(Stroke stroke) const {
        return std::make_shared<ShapeNode>(m_kind, m_radius, m_fill, stroke);
    }

    Size sizeThatFits(const Element&, ProposedViewSize proposal) const override {
        return proposal.replacingUnspecifiedDimensions(
            {metrics().horizontal(10), metrics().vertical(10)});
    }
    void describe(const Element& element, Description& description) const override {
        auto line = description.line(element, kindName(m_kind));
        if (m_fill) {
            line.value("fill", m_fill->description());
        }
        if (m_stroke) {
            line.value("stroke", m_stroke->color.description());
        }
    }
    void draw(const Element& element, Painter& painter) const override {
        Rect box = element.frame;
        double radius = m_radius;
        double shortest = std::min(box.width(), box.height());
        if (m_kind == ShapeKind::Circle) {
            box = {{box.minX() + (box.width() - shortest) / 2,
                    box.minY() + (box.height() - shortest) / 2},
                   {shortest, shortest}};
        }
        if (m_kind == ShapeKind::Capsule || m_kind == ShapeKind::Circle) {
            radius = shortest / 2;
        }
        if (m_fill || !m_stroke) {
            Color color = m_fill.value_or(element.env().resolvedForeground());
            painter.fillRoundedRect(box, radius, color.resolved());
        }
        if (m_stroke) {
            painter.strokeRoundedRect(box, radius, m_stroke->color.resolved(), m_stroke->width);
        }
    }
    // A fill in one of the terminal's colours shows as a dot for a circle and as a background
    // otherwise; faint fills, such as tints behind content, show nothing. An outline is drawn
    // with lines through the cells its content leaves blank (a capsule one row high in round
    // brackets), a side or an edge only where all of it is free.
    void drawCells(const Element& element, CellPainter& painter) const override {
        const Graphics::CellRect box = CellPainter::cells(element.frame);
        if (box.isEmpty()) {
            return;
        }
        Color fill = m_fill.value_or(element.env().resolvedForeground());
        if ((m_fill || !m_stroke) && fill.resolved().alpha >= 0.5) {
            const Graphics::CellStyle style = cellStyle(fill);
            if (m_kind == ShapeKind::Circle) {
                painter.text(box.x + (box.width - 1) / 2, box.y + (box.height - 1) / 2, "●", style);
            } else if (style.foreground != Graphics::CellColor::Default) {
                painter.restyle(box, [&style](Graphics::CellStyle& cell) {
                    cell.background = style.foreground;
                });
            }
        }
        if (m_stroke) {
            outline(painter, box, cellStyle(m_stroke->color));
        }
    }

private:
    void outline(CellPainter& painter, const Graphics::CellRect& box,
                 const Graphics::CellStyle& style) const {
        if (box.height > 1) {
            painter.box(box, style);
            return;
        }
        const bool round = m_kind == ShapeKind::Capsule;
        for (const auto& [x, glyph] :
             {std::pair(box.x, round ? "(" : "│"), std::pair(box.maxX() - 1, round ? ")" : "│")}) {
            if (painter.isBlank({x, box.y, 1, 1})) {
                painter.fill({x, box.y, 1, 1}, style, glyph);
            }
        }
    }

    ShapeKind m_kind;
    double m_radius;
    std::optional<Color> m_fill;
    std::optional<Stroke> m_stroke;
};

const ShapeNode& shapeNode(const View& view) {
    return static_cast<const ShapeNode&>(*view.node());
}

} // namespace

Shape::Shape(ShapeKind kind, double cornerRadius)
    : View(std::make_shared<ShapeNode>(kind, cornerRadius, std::nullopt, std::nullopt)) {}

Shape Shape::fill(Color style) const {
    return Shape(shapeNode(*this).filled(style));
}

Shape Shape::strokeBorder(Color style, double lineWidth) const {
    return Shape(shapeNode(*this).stroked({style, lineWidth}));
}

} // namespace SwiftUI
