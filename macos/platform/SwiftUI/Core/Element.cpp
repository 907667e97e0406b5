#include "Element.h"

#include "CellPainter.h"
#include "Description.h"
#include "Metrics.h"
#include "Painter.h"
#include "Resolver.h"

#include <cmath>

namespace SwiftUI {

Size measure(const Element& element, ProposedViewSize proposal) {
    for (const auto& [asked, size] : element.sizes) {
        if (asked == proposal) {
            return size;
        }
    }
    Size size = metrics().settled(element.node->sizeThatFits(element, proposal));
    element.sizes.emplace_back(proposal, size);
    return size;
}

std::optional<double> baselineOf(const Element& element, ProposedViewSize proposal) {
    for (const auto& [asked, baseline] : element.baselines) {
        if (asked == proposal) {
            return baseline;
        }
    }
    auto baseline = element.node->firstBaseline(element, proposal);
    element.baselines.emplace_back(proposal, baseline);
    return baseline;
}

void forgetMeasurements(Element& element) {
    forEachElement(element, [](Element& each) {
        each.sizes.clear();
        each.baselines.clear();
    });
}

void place(Element& element, Rect frame, ProposedViewSize proposal) {
    element.frame = frame;
    element.proposal = proposal;
    element.node->placeChildren(element);
}

double alignedOffset(double space, double size, HorizontalAlignment alignment) {
    switch (alignment) {
    case HorizontalAlignment::Leading:
        return 0;
    case HorizontalAlignment::Center:
        return std::round((space - size) / 2);
    case HorizontalAlignment::Trailing:
        return space - size;
    }
    return 0;
}

double alignedOffset(double space, double size, VerticalAlignment alignment) {
    switch (alignment) {
    case VerticalAlignment::Top:
    case VerticalAlignment::FirstTextBaseline:
        return 0;
    case VerticalAlignment::Center:
        return std::round((space - size) / 2);
    case VerticalAlignment::Bottom:
        return space - size;
    }
    return 0;
}

Node::~Node() = default;

std::unique_ptr<Element> Node::makeElement(const Scope& scope) const {
    auto element = std::make_unique<Element>();
    element->node = shared_from_this();
    element->identity = scope.identity;
    element->environment = scope.environment;
    return element;
}

void Node::resolve(Resolver&, const Scope& scope, ElementList& out) const {
    out.push_back(makeElement(scope));
}

Size Node::sizeThatFits(const Element&, ProposedViewSize) const {
    return {};
}

void Node::placeChildren(Element&) const {}

std::optional<double> Node::firstBaseline(const Element&, ProposedViewSize) const {
    return std::nullopt;
}

void Node::describe(const Element& element, Description& description) const {
    description.childrenInPlace(element);
}

void Node::draw(const Element& element, Painter& painter) const {
    painter.drawChildren(element);
}

void Node::drawCells(const Element& element, CellPainter& painter) const {
    painter.drawChildren(element);
}

std::shared_ptr<const Environment> modified(const std::shared_ptr<const Environment>& environment,
                                            const std::function<void(Environment&)>& change) {
    auto copy = std::make_shared<Environment>(*environment);
    change(*copy);
    return copy;
}

Font Environment::resolvedFont() const {
    Font result = font.value_or(Font::body);
    if (fontWeight) {
        result = result.weight(*fontWeight);
    }
    return result;
}

} // namespace SwiftUI
