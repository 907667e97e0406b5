#include "Core/Description.h"
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
        return proposal.replacingUnspecifiedDimensions();
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
