#include "Core/CellPainter.h"
#include "Core/Description.h"
#include "Core/Painter.h"
#include "Core/Resolver.h"
#include "Core/StackLayout.h"

#include <SwiftUI/Containers.h>
#include <algorithm>
#include <cmath>

namespace SwiftUI {

namespace {

class ScrollNode final : public Node {
public:
    explicit ScrollNode(std::vector<View> content) : m_content(std::move(content)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        auto element = makeElement(scope);
        auto inner = modified(scope.environment, [](Environment& environment) {
            environment.stackAxis = Axis::Vertical;
            environment.inFormRow = false;
        });
        element->children = resolver.resolveAll(m_content, scope.with(inner));
        out.push_back(std::move(element));
    }
    Size sizeThatFits(const Element& element, ProposedViewSize proposal) const override {
        Size content = plan(element, proposal).size;
        double width =
            proposal.width && std::isfinite(*proposal.width) ? *proposal.width : content.width;
        double height = content.height;
        if (proposal.height) {
            height = std::min(height, *proposal.height);
        }
        return {width, height};
    }
    void placeChildren(Element& element) const override {
        StackPlan p = plan(element, element.proposal);
        for (std::size_t i = 0; i < element.children.size(); ++i) {
            place(*element.children[i],
                  {{element.frame.minX() + p.offsets[i].x, element.frame.minY() + p.offsets[i].y},
                   p.sizes[i]},
                  p.proposals[i]);
        }
    }
    void describe(const Element& element, Description& description) const override {
        description.line(element, "ScrollView");
        description.children(element);
    }
    void draw(const Element& element, Painter& painter) const override {
        painter.clipped(element.frame, [&] { painter.drawChildren(element); });
        double content = plan(element, element.proposal).size.height;
        if (content > element.frame.height() + 0.5) {
            // The scroller at the top of its track, showing what fraction is visible.
            double length = element.frame.height() * element.frame.height() / content;
            double x = element.frame.maxX() - 4;
            painter.line({x, element.frame.minY() + 3},
                         {x, element.frame.minY() + std::max(8.0, length) - 3}, {0, 0, 0, 0.35}, 5);
        }
    }
    void drawCells(const Element& element, CellPainter& painter) const override {
        painter.clipped(element.frame, [&] { painter.drawChildren(element); });
    }

private:
    static StackPlan plan(const Element& element, ProposedViewSize proposal) {
        std::optional<double> width;
        if (proposal.width && std::isfinite(*proposal.width)) {
            width = proposal.width;
        }
        return planStack({.axis = Axis::Vertical}, childPointers(element), {width, std::nullopt},
                         width);
    }

    std::vector<View> m_content;
};

} // namespace

ScrollView::ScrollView(std::vector<View> content)
    : View(std::make_shared<ScrollNode>(std::move(content))) {}

} // namespace SwiftUI
