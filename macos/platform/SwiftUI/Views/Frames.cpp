// Modifiers that size and place a view: padding, frames, fixed sizes, backgrounds, overlays.
#include "Core/CellPainter.h"
#include "Core/Description.h"
#include "Core/Metrics.h"
#include "Core/Painter.h"
#include "Core/Resolver.h"

#include <SwiftUI/Shapes.h>
#include <SwiftUI/View.h>
#include <algorithm>

namespace SwiftUI {

namespace {

class WrapperNode : public Node {
public:
    explicit WrapperNode(View content) : m_content(std::move(content)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        ElementList inner;
        resolver.resolve(m_content, scope, inner);
        for (auto& child : inner) {
            auto element = makeElement({child->identity, scope.environment});
            element->children.push_back(std::move(child));
            out.push_back(std::move(element));
        }
    }

protected:
    static const Element& content(const Element& element) { return *element.children.front(); }

private:
    View m_content;
};

class PaddingNode final : public WrapperNode {
public:
    PaddingNode(View content, EdgeInsets insets)
        : WrapperNode(std::move(content)), m_insets(insets) {}

    Size sizeThatFits(const Element& element, ProposedViewSize proposal) const override {
        const EdgeInsets insets = insetsInForce();
        Size size = measure(content(element), inner(proposal, insets));
        return {size.width + insets.leading + insets.trailing,
                size.height + insets.top + insets.bottom};
    }
    void placeChildren(Element& element) const override {
        const EdgeInsets insets = insetsInForce();
        ProposedViewSize proposal = inner(element.proposal, insets);
        Element& child = *element.children.front();
        Size size = measure(child, proposal);
        place(child,
              {{element.frame.minX() + insets.leading, element.frame.minY() + insets.top}, size},
              proposal);
    }
    std::optional<double> firstBaseline(const Element& element,
                                        ProposedViewSize proposal) const override {
        const EdgeInsets insets = insetsInForce();
        auto baseline = baselineOf(content(element), inner(proposal, insets));
        return baseline ? std::optional(*baseline + insets.top) : std::nullopt;
    }

private:
    // The insets in the units of the metric in force.
    EdgeInsets insetsInForce() const {
        const Metrics& m = metrics();
        return {m.vertical(m_insets.top), m.horizontal(m_insets.leading),
                m.vertical(m_insets.bottom), m.horizontal(m_insets.trailing)};
    }
    static ProposedViewSize inner(ProposedViewSize proposal, const EdgeInsets& insets) {
        auto shrink = [](std::optional<double> length, double by) -> std::optional<double> {
            return length ? std::optional(std::max(0.0, *length - by)) : std::nullopt;
        };
        return {shrink(proposal.width, insets.leading + insets.trailing),
                shrink(proposal.height, insets.top + insets.bottom)};
    }

    EdgeInsets m_insets;
};

class FrameNode final : public WrapperNode {
public:
    FrameNode(View content, FrameOptions options)
        : WrapperNode(std::move(content)), m_options(options) {}

    Size sizeThatFits(const Element& element, ProposedViewSize proposal) const override {
        return plan(element, proposal).size;
    }
    void placeChildren(Element& element) const override {
        Plan p = plan(element, element.proposal);
        Element& child = *element.children.front();
        Point origin{element.frame.minX() + alignedOffset(element.frame.width(), p.childSize.width,
                                                          m_options.alignment.horizontal),
                     element.frame.minY() + alignedOffset(element.frame.height(),
                                                          p.childSize.height,
                                                          m_options.alignment.vertical)};
        place(child, {origin, p.childSize}, p.childProposal);
    }
    std::optional<double> firstBaseline(const Element& element,
                                        ProposedViewSize proposal) const override {
        Plan p = plan(element, proposal);
        auto baseline = baselineOf(content(element), p.childProposal);
        if (!baseline) {
            return std::nullopt;
        }
        return *baseline +
               alignedOffset(p.size.height, p.childSize.height, m_options.alignment.vertical);
    }

private:
    struct Dimension {
        std::optional<double> fixed, minimum, maximum;

        bool isFlexible() const { return minimum || maximum; }
        double clamp(double length) const {
            if (maximum) {
                length = std::min(length, *maximum);
            }
            if (minimum) {
                length = std::max(length, *minimum);
            }
            return length;
        }
        std::optional<double> childProposal(std::optional<double> proposed) const {
            if (fixed) {
                return fixed;
            }
            if (!proposed || !isFlexible()) {
                return proposed;
            }
            return clamp(*proposed);
        }
        double length(std::optional<double> proposed, double child) const {
            if (fixed) {
                return *fixed;
            }
            if (!isFlexible()) {
                return child;
            }
            if (!proposed) {
                return clamp(child);
            }
            double result = child;
            if (minimum) {
                result = std::max(*minimum, std::min(result, *proposed));
            }
            if (maximum) {
                result = std::min(*maximum, std::max(result, *proposed));
            }
            return result;
        }
    };
    struct Plan {
        ProposedViewSize childProposal;
        Size childSize;
        Size size;
    };

    Plan plan(const Element& element, ProposedViewSize proposal) const {
        const Metrics& m = metrics();
        const auto across = [&m](std::optional<double> points) -> std::optional<double> {
            return points ? std::optional(m.horizontal(*points)) : std::nullopt;
        };
        Dimension width{across(m_options.width), across(m_options.minWidth),
                        across(m_options.maxWidth)};
        Dimension height{
            m_options.height ? std::optional(m.vertical(*m_options.height)) : std::nullopt,
            m_options.minHeight ? std::optional(m.vertical(*m_options.minHeight)) : std::nullopt,
            m_options.maxHeight ? m.heightBound(*m_options.maxHeight) : std::nullopt};
        Plan p;
        p.childProposal = {width.childProposal(proposal.width),
                           height.childProposal(proposal.height)};
        p.childSize = measure(content(element), p.childProposal);
        p.size = {width.length(proposal.width, p.childSize.width),
                  height.length(proposal.height, p.childSize.height)};
        // With nothing proposed, a child outside the bounds is asked again at the bound.
        ProposedViewSize again = p.childProposal;
        if (!p.childProposal.width && width.isFlexible() && p.size.width != p.childSize.width) {
            again.width = p.size.width;
        }
        if (!p.childProposal.height && height.isFlexible() && p.size.height != p.childSize.height) {
            again.height = p.size.height;
        }
        if (!(again == p.childProposal)) {
            p.childProposal = again;
            p.childSize = measure(content(element), again);
        }
        return p;
    }

    FrameOptions m_options;
};

class FixedSizeNode final : public WrapperNode {
public:
    FixedSizeNode(View content, bool horizontal, bool vertical)
        : WrapperNode(std::move(content)), m_horizontal(horizontal), m_vertical(vertical) {}

    Size sizeThatFits(const Element& element, ProposedViewSize proposal) const override {
        return measure(content(element), inner(proposal));
    }
    void placeChildren(Element& element) const override {
        ProposedViewSize proposal = inner(element.proposal);
        Element& child = *element.children.front();
        place(child, {element.frame.origin, measure(child, proposal)}, proposal);
    }
    std::optional<double> firstBaseline(const Element& element,
                                        ProposedViewSize proposal) const override {
        return baselineOf(content(element), inner(proposal));
    }

private:
    ProposedViewSize inner(ProposedViewSize proposal) const {
        return {m_horizontal ? std::nullopt : proposal.width,
                m_vertical ? std::nullopt : proposal.height};
    }
    bool m_horizontal;
    bool m_vertical;
};

// A view with another drawn behind or over it at exactly its size.
class DecorationNode final : public Node {
public:
    DecorationNode(View content, View decoration, bool behind)
        : m_content(std::move(content)), m_decoration(std::move(decoration)), m_behind(behind) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        ElementList inner;
        resolver.resolve(m_content, scope, inner);
        for (auto& child : inner) {
            auto element = makeElement({child->identity, scope.environment});
            auto decoration = resolver.resolveOne(m_decoration, scope.child("decoration"));
            element->children.push_back(std::move(child));
            if (decoration) {
                element->children.push_back(std::move(decoration));
            }
            out.push_back(std::move(element));
        }
    }
    Size sizeThatFits(const Element& element, ProposedViewSize proposal) const override {
        return measure(*element.children.front(), proposal);
    }
    void placeChildren(Element& element) const override {
        for (auto& child : element.children) {
            place(*child, element.frame,
                  child == element.children.front()
                      ? element.proposal
                      : ProposedViewSize::exactly(element.frame.size));
        }
    }
    std::optional<double> firstBaseline(const Element& element,
                                        ProposedViewSize proposal) const override {
        return baselineOf(*element.children.front(), proposal);
    }
    void describe(const Element& element, Description& description) const override {
        // The decoration is drawing only.
        description.inPlace(element, std::span(element.children).first(1));
    }
    void draw(const Element& element, Painter& painter) const override {
        const Element& content = *element.children.front();
        const Element* decoration =
            element.children.size() > 1 ? element.children[1].get() : nullptr;
        if (decoration && m_behind) {
            painter.draw(*decoration);
        }
        painter.draw(content);
        if (decoration && !m_behind) {
            painter.draw(*decoration);
        }
    }

private:
    View m_content;
    View m_decoration;
    bool m_behind;
};

} // namespace

View View::padding(double amount) const {
    return padding(EdgeInsets(Edges::all, amount));
}

View View::padding(Edges edges, double amount) const {
    return padding(EdgeInsets(edges, amount));
}

View View::padding(EdgeInsets insets) const {
    return View(std::make_shared<PaddingNode>(*this, insets));
}

View View::frame(FrameOptions options) const {
    return View(std::make_shared<FrameNode>(*this, options));
}

View View::fixedSize(bool horizontal, bool vertical) const {
    return View(std::make_shared<FixedSizeNode>(*this, horizontal, vertical));
}

View View::background(View content) const {
    return View(std::make_shared<DecorationNode>(*this, std::move(content), true));
}

View View::background(Color color) const {
    return background(Rectangle().fill(color));
}

View View::background(Color style, const Shape& shape) const {
    return background(shape.fill(style));
}

View View::overlay(View content) const {
    return View(std::make_shared<DecorationNode>(*this, std::move(content), false));
}

} // namespace SwiftUI
