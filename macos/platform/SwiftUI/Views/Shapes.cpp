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
    // An outline shows as its sides, in round brackets for a capsule one row high; a fill in one
    // of the terminal's colours as a dot for a circle and a background otherwise. Faint fills,
    // such as tints behind content, show nothing.
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
            const Graphics::CellStyle style = cellStyle(m_stroke->color);
            const bool round = m_kind == ShapeKind::Capsule && box.height == 1;
            for (int y = box.y; y < box.maxY(); ++y) {
                painter.text(box.x, y, round ? "(" : "│", style);
                painter.text(box.maxX() - 1, y, round ? ")" : "│", style);
            }
        }
    }

private:
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
