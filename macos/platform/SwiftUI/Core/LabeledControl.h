// The layout shared by toggles and pickers: a label and the control itself.
//
// Alone, the control comes first for a checkbox and last for other controls,
// with its label beside it; in a form row the label takes the leading edge and
// the control the trailing one, across the whole row. A hidden label leaves the
// control alone.
#pragma once

#include "Element.h"

#include <SwiftUI/Node.h>

namespace SwiftUI {

struct LabeledLayout {
    // Where the label goes, or nothing when it is hidden.
    std::optional<Rect> label;
    ProposedViewSize labelProposal;
    Rect control;
    Size size;
    std::optional<double> firstBaseline;
};

enum class LabelSide { Leading, Trailing };

// Lays out `label` (may be null) beside a control of `controlSize`.
LabeledLayout layoutLabeled(const Element* label, Size controlSize, LabelSide side, bool formRow,
                            ProposedViewSize proposal);

// A control whose element's first child is its label.
class LabeledNode : public Node {
public:
    Size sizeThatFits(const Element& element, ProposedViewSize proposal) const override;
    void placeChildren(Element& element) const override;
    std::optional<double> firstBaseline(const Element& element,
                                        ProposedViewSize proposal) const override;

protected:
    virtual LabeledLayout layout(const Element& element, ProposedViewSize proposal) const = 0;
    // Where the control itself goes, in the element's frame.
    static Rect controlFrame(const Element& element, const LabeledLayout& layout);
};

} // namespace SwiftUI
