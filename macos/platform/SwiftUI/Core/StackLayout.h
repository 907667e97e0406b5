// Laying children out in a row or a column.
//
// Along the axis, children are proposed space in order of flexibility, the
// least flexible first: each gets its ideal length when that fits beside the
// minimum lengths of those still to come, else an equal share of what is left.
// So rigid views keep their size, text takes what it needs, and spacers and
// views that fill share the rest. With no length proposed, every child takes its
// ideal length. Across the axis, children are aligned; a row aligned on the first
// text baseline lines up each child's first baseline (its bottom when it has no
// text).
#pragma once

#include "Element.h"

#include <optional>
#include <vector>

namespace SwiftUI {

struct StackSpec {
    Axis axis = Axis::Vertical;
    // In points, whatever the metric in force.
    double spacing = 8;
    // Across a column.
    HorizontalAlignment horizontal = HorizontalAlignment::Center;
    // Across a row.
    VerticalAlignment vertical = VerticalAlignment::Center;
};

struct StackPlan {
    std::vector<ProposedViewSize> proposals;
    std::vector<Size> sizes;
    // From the stack's top-left corner.
    std::vector<Point> offsets;
    Size size;
    std::optional<double> firstBaseline;
};

// The plan for `children` under `proposal`; aligned across `crossLength` when given (the
// length the stack was placed with), else across its own.
StackPlan planStack(const StackSpec& spec, const std::vector<const Element*>& children,
                    ProposedViewSize proposal, std::optional<double> crossLength = std::nullopt);

std::vector<const Element*> childPointers(const Element& element);

// Places `element`'s children by the plan for its frame and proposal.
void placeStack(const StackSpec& spec, Element& element);

// A node that lays its element's children out as one stack.
class StackedNode : public Node {
public:
    explicit StackedNode(StackSpec spec) : m_spec(spec) {}

    Size sizeThatFits(const Element& element, ProposedViewSize proposal) const override;
    void placeChildren(Element& element) const override;
    std::optional<double> firstBaseline(const Element& element,
                                        ProposedViewSize proposal) const override;

protected:
    const StackSpec& spec() const { return m_spec; }

private:
    StackSpec m_spec;
};

} // namespace SwiftUI
