#include "Core/Description.h"
#include "Core/Metrics.h"
#include "Core/Resolver.h"

#include <SwiftUI/Layout.h>
#include <deque>

namespace SwiftUI {

namespace {

// Custom layouts work in points whatever the metric in force; these convert at their edge.
ProposedViewSize convertedProposal(ProposedViewSize proposal,
                                   Size (Metrics::*convert)(Size) const) {
    const Size converted =
        (metrics().*convert)({proposal.width.value_or(0), proposal.height.value_or(0)});
    return {proposal.width ? std::optional(converted.width) : std::nullopt,
            proposal.height ? std::optional(converted.height) : std::nullopt};
}

ProposedViewSize proposalInPoints(ProposedViewSize proposal) {
    return convertedProposal(proposal, &Metrics::toPoints);
}

ProposedViewSize proposalFromPoints(ProposedViewSize proposal) {
    return convertedProposal(proposal, &Metrics::fromPoints);
}

Point pointInPoints(Point point) {
    const Size points = metrics().toPoints({point.x, point.y});
    return {points.width, points.height};
}

class LayoutNode final : public Node {
public:
    LayoutNode(std::shared_ptr<const AnyLayout> layout, std::vector<View> content)
        : m_layout(std::move(layout)), m_content(std::move(content)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        auto element = makeElement(scope);
        auto inner = modified(scope.environment, [](Environment& environment) {
            environment.stackAxis.reset();
            environment.inFormRow = false;
        });
        element->children = resolver.resolveAll(m_content, scope.with(inner));
        out.push_back(std::move(element));
    }
    Size sizeThatFits(const Element& element, ProposedViewSize proposal) const override {
        std::deque<bool> placed(element.children.size(), false);
        return metrics().fromPoints(m_layout->sizeThatFits(
            proposalInPoints(proposal), subviews(const_cast<Element&>(element), placed)));
    }
    void placeChildren(Element& element) const override {
        std::deque<bool> placed(element.children.size(), false);
        const Rect bounds{pointInPoints(element.frame.origin),
                          metrics().toPoints(element.frame.size)};
        m_layout->placeSubviews(bounds, proposalInPoints(element.proposal),
                                subviews(element, placed));
        for (std::size_t i = 0; i < element.children.size(); ++i) {
            if (!placed[i]) {
                LayoutSubview(*element.children[i], placed[i])
                    .place(
                        {bounds.minX() + bounds.width() / 2, bounds.minY() + bounds.height() / 2},
                        UnitPoint::center);
            }
        }
    }
    void describe(const Element& element, Description& description) const override {
        description.line(element, "Layout");
        description.children(element);
    }

private:
    static LayoutSubviews subviews(Element& element, std::deque<bool>& placed) {
        LayoutSubviews result;
        for (std::size_t i = 0; i < element.children.size(); ++i) {
            result.emplace_back(*element.children[i], placed[i]);
        }
        return result;
    }

    std::shared_ptr<const AnyLayout> m_layout;
    std::vector<View> m_content;
};

} // namespace

Size LayoutSubview::sizeThatFits(ProposedViewSize proposal) const {
    return metrics().toPoints(measure(*m_element, proposalFromPoints(proposal)));
}

void LayoutSubview::place(Point position, UnitPoint anchor, ProposedViewSize proposal) const {
    const ProposedViewSize inUnits = proposalFromPoints(proposal);
    Size size = measure(*m_element, inUnits);
    const Point origin =
        metrics().positionFromPoints({position.x - anchor.x * metrics().toPoints(size).width,
                                      position.y - anchor.y * metrics().toPoints(size).height});
    SwiftUI::place(*m_element, {origin, size}, inUnits);
    *m_placed = true;
}

View layoutView(std::shared_ptr<const AnyLayout> layout, std::vector<View> content) {
    return View(std::make_shared<LayoutNode>(std::move(layout), std::move(content)));
}

} // namespace SwiftUI
