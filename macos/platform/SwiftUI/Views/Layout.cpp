#include "Core/Description.h"
#include "Core/Resolver.h"

#include <SwiftUI/Layout.h>
#include <deque>

namespace SwiftUI {

namespace {

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
        return m_layout->sizeThatFits(proposal, subviews(const_cast<Element&>(element), placed));
    }
    void placeChildren(Element& element) const override {
        std::deque<bool> placed(element.children.size(), false);
        m_layout->placeSubviews(element.frame, element.proposal, subviews(element, placed));
        for (std::size_t i = 0; i < element.children.size(); ++i) {
            if (!placed[i]) {
                LayoutSubview(*element.children[i], placed[i])
                    .place({element.frame.minX() + element.frame.width() / 2,
                            element.frame.minY() + element.frame.height() / 2},
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
    return measure(*m_element, proposal);
}

void LayoutSubview::place(Point position, UnitPoint anchor, ProposedViewSize proposal) const {
    Size size = measure(*m_element, proposal);
    SwiftUI::place(
        *m_element,
        {{position.x - anchor.x * size.width, position.y - anchor.y * size.height}, size},
        proposal);
    *m_placed = true;
}

View layoutView(std::shared_ptr<const AnyLayout> layout, std::vector<View> content) {
    return View(std::make_shared<LayoutNode>(std::move(layout), std::move(content)));
}

} // namespace SwiftUI
