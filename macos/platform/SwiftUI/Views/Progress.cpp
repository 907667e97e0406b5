#include "Core/CellPainter.h"
#include "Core/Controls.h"
#include "Core/Description.h"
#include "Core/Painter.h"

#include <SwiftUI/Controls.h>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace SwiftUI {

namespace {

class ProgressNode final : public Node {
public:
    Size sizeThatFits(const Element& element, ProposedViewSize) const override {
        double side = metrics().controls(element.env().controlSize).spinner;
        return {side, side};
    }
    void describe(const Element& element, Description& description) const override {
        auto line = description.line(element, "ProgressView");
        if (element.env().controlSize != ControlSize::Regular) {
            line.flag(element.env().controlSize == ControlSize::Small ? "small" : "mini");
        }
    }
    void draw(const Element& element, Painter& painter) const override {
        // One still frame of the spinner: twelve spokes fading round the circle.
        const Rect& box = element.frame;
        double radius = std::min(box.width(), box.height()) / 2;
        Point centre{box.minX() + box.width() / 2, box.minY() + box.height() / 2};
        for (int i = 0; i < 12; ++i) {
            double angle = i * std::numbers::pi / 6;
            double dx = std::sin(angle), dy = -std::cos(angle);
            painter.line({centre.x + dx * radius * 0.45, centre.y + dy * radius * 0.45},
                         {centre.x + dx * radius * 0.9, centre.y + dy * radius * 0.9},
                         {0, 0, 0, 0.15 + 0.55 * (12 - i) / 12.0}, std::max(1.2, radius / 6));
        }
    }
    void drawCells(const Element& element, CellPainter& painter) const override {
        const Graphics::CellRect box = CellPainter::cells(element.frame);
        painter.text(box.x, box.y, "⣾", cellStyle(Color::accentColor));
    }
};

} // namespace

ProgressView::ProgressView() : View(std::make_shared<ProgressNode>()) {}

} // namespace SwiftUI
