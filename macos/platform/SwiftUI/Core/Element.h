// A resolved view: one node at one place in the tree, with its environment,
// children, layout and the attributes modifiers gave it.
//
// Elements are made afresh on every redraw. Sizes are asked for through
// `measure`, which remembers the answer to each proposal for the redraw, in
// the units of the metric in force; a parent then places each child with the
// proposal it measured it with.
#pragma once

#include "Environment.h"

#include <SwiftUI/Binding.h>
#include <SwiftUI/Node.h>
#include <any>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace SwiftUI {

struct Element {
    std::shared_ptr<const Node> node;
    std::string identity;
    std::shared_ptr<const Environment> environment;
    ElementList children;

    std::optional<std::string> accessibilityLabel;
    bool selected = false;
    std::any tag;
    std::optional<Binding<bool>> focus;
    // What the node computed while resolving, for its own later use.
    std::any data;

    Rect frame;
    ProposedViewSize proposal;

    const Environment& env() const { return *environment; }

    mutable std::vector<std::pair<ProposedViewSize, Size>> sizes;
    mutable std::vector<std::pair<ProposedViewSize, std::optional<double>>> baselines;
};

Size measure(const Element& element, ProposedViewSize proposal);
std::optional<double> baselineOf(const Element& element, ProposedViewSize proposal);
// Drops what the subtree remembers of its sizes, before it is measured in other units.
void forgetMeasurements(Element& element);
// Gives the element its frame and the proposal it was measured with, then places its children.
void place(Element& element, Rect frame, ProposedViewSize proposal);

// The offset of a child of `size` aligned in `space`, rounded to whole points.
double alignedOffset(double space, double size, HorizontalAlignment alignment);
double alignedOffset(double space, double size, VerticalAlignment alignment);

// Every element of the tree, depth first, parents before children.
template <typename Visit> void forEachElement(Element& element, Visit&& visit) {
    visit(element);
    for (auto& child : element.children) {
        forEachElement(*child, visit);
    }
}

} // namespace SwiftUI
