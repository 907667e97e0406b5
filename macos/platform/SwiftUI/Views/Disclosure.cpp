#include "Core/CellPainter.h"
#include "Core/Controls.h"
#include "Core/Description.h"
#include "Core/Painter.h"
#include "Core/Resolver.h"
#include "Core/StackLayout.h"
#include "Core/TextSupport.h"

#include <SwiftUI/Controls.h>
#include <algorithm>

namespace SwiftUI {

namespace {

constexpr double chevron = 13;
constexpr double indent = chevron + 4;
constexpr double contentSpacing = 6;
constexpr StackSpec contentStack{
    .axis = Axis::Vertical, .spacing = 8, .horizontal = HorizontalAlignment::Leading};

// The first child is the title; the content follows while expanded. The data is the shared
// expanded flag kept for the group's place.
class DisclosureNode final : public Node, public DisclosureControl {
public:
    DisclosureNode(Text title, std::vector<View> content)
        : m_title(std::move(title)), m_content(std::move(content)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        auto element = makeElement(scope);
        auto& slot = resolver.store().slot(scope.identity + "|expanded");
        if (!slot) {
            slot = std::make_shared<bool>(false);
        }
        auto expanded = std::static_pointer_cast<bool>(slot);
        element->data = expanded;
        resolver.resolve(m_title, scope.child("title"), element->children);
        if (*expanded) {
            auto content = resolver.resolveAll(m_content, scope.child("content"));
            for (auto& child : content) {
                element->children.push_back(std::move(child));
            }
        }
        out.push_back(std::move(element));
    }

    Size sizeThatFits(const Element& element, ProposedViewSize proposal) const override {
        Layout l = layout(element, proposal);
        return l.size;
    }
    void placeChildren(Element& element) const override {
        Layout l = layout(element, element.proposal);
        const Rect& frame = element.frame;
        const double inset = metrics().horizontal(indent);
        place(*element.children.front(), {{frame.minX() + inset, frame.minY()}, l.title},
              l.titleProposal);
        for (std::size_t i = 0; i < l.content.sizes.size(); ++i) {
            Point origin{frame.minX() + inset + l.content.offsets[i].x,
                         frame.minY() + l.contentTop + l.content.offsets[i].y};
            place(*element.children[i + 1], {origin, l.content.sizes[i]}, l.content.proposals[i]);
        }
    }
    std::optional<double> firstBaseline(const Element& element,
                                        ProposedViewSize proposal) const override {
        return baselineOf(*element.children.front(), layout(element, proposal).titleProposal);
    }

    void describe(const Element& element, Description& description) const override {
        auto line = description.line(element, "DisclosureGroup");
        line.quoted(joinedText(*element.children.front()));
        line.flag(isExpanded(element) ? "expanded" : "collapsed");
        description.nested([&] {
            for (std::size_t i = 1; i < element.children.size(); ++i) {
                description.element(*element.children[i]);
            }
        });
    }
    void draw(const Element& element, Painter& painter) const override {
        const Rect& frame = element.frame;
        double cx = frame.minX() + chevron / 2, cy = frame.minY() + 8;
        const Graphics::Color color = Color::secondary.resolved();
        if (isExpanded(element)) {
            painter.line({cx - 4, cy - 2}, {cx, cy + 2}, color, 1.6);
            painter.line({cx, cy + 2}, {cx + 4, cy - 2}, color, 1.6);
        } else {
            painter.line({cx - 2, cy - 4}, {cx + 2, cy}, color, 1.6);
            painter.line({cx + 2, cy}, {cx - 2, cy + 4}, color, 1.6);
        }
        painter.drawChildren(element);
    }
    void drawCells(const Element& element, CellPainter& painter) const override {
        const Graphics::CellRect box = CellPainter::cells(element.frame);
        painter.text(box.x, box.y, isExpanded(element) ? "▾" : "▸", cellStyle(Color::secondary));
        painter.drawChildren(element);
        if (painter.isFocused(element)) {
            const Graphics::CellRect title = CellPainter::cells(element.children.front()->frame);
            painter.showFocus({box.x, box.y, title.maxX() - box.x, title.maxY() - box.y});
        }
    }

    std::vector<std::string> titles(const Element& element) const override {
        return {joinedText(*element.children.front())};
    }
    bool isExpanded(const Element& element) const override {
        return *std::any_cast<std::shared_ptr<bool>>(element.data);
    }
    void setExpanded(const Element& element, bool expanded) const override {
        *std::any_cast<std::shared_ptr<bool>>(element.data) = expanded;
    }

private:
    struct Layout {
        ProposedViewSize titleProposal;
        Size title;
        double contentTop = 0;
        StackPlan content;
        Size size;
    };

    Layout layout(const Element& element, ProposedViewSize proposal) const {
        Layout l;
        std::optional<double> width;
        if (proposal.width) {
            width = std::max(0.0, *proposal.width - metrics().horizontal(indent));
        }
        l.titleProposal = {width, std::nullopt};
        l.title = measure(*element.children.front(), l.titleProposal);
        double headerHeight = std::max(l.title.height, metrics().vertical(chevron));
        l.size = {metrics().horizontal(indent) + l.title.width, headerHeight};
        std::vector<const Element*> content;
        for (std::size_t i = 1; i < element.children.size(); ++i) {
            content.push_back(element.children[i].get());
        }
        if (!content.empty()) {
            l.contentTop = headerHeight + metrics().vertical(contentSpacing);
            l.content = planStack(contentStack, content, {width, std::nullopt});
            l.size = {std::max(l.size.width, metrics().horizontal(indent) + l.content.size.width),
                      l.contentTop + l.content.size.height};
        }
        return l;
    }

    Text m_title;
    std::vector<View> m_content;
};

} // namespace

DisclosureGroup::DisclosureGroup(Text title, std::vector<View> content)
    : View(std::make_shared<DisclosureNode>(std::move(title), std::move(content))) {}

} // namespace SwiftUI
