#include "LabeledControl.h"

#include "Metrics.h"

#include <algorithm>
#include <cmath>

namespace SwiftUI {

namespace {

constexpr double gap = 6;
constexpr double formGap = 12;

} // namespace

LabeledLayout layoutLabeled(const Element* label, Size controlSize, LabelSide side, bool formRow,
                            ProposedViewSize proposal) {
    LabeledLayout layout;
    if (!label) {
        layout.control = {{0, 0}, controlSize};
        layout.size = controlSize;
        return layout;
    }
    double spacing = metrics().horizontal(formRow ? formGap : gap);
    std::optional<double> labelWidth;
    if (proposal.width) {
        labelWidth = std::max(0.0, *proposal.width - controlSize.width - spacing);
    }
    layout.labelProposal = {labelWidth, std::nullopt};
    Size labelSize = measure(*label, layout.labelProposal);
    double height = std::max(labelSize.height, controlSize.height);
    double width = labelSize.width + spacing + controlSize.width;
    if (formRow && proposal.width) {
        width = std::max(width, *proposal.width);
    }
    // The control sits on the label's first line; both are centred when one line tall.
    auto baseline = baselineOf(*label, layout.labelProposal);
    double labelTop = std::round((height - labelSize.height) / 2);
    double controlTop = std::round((height - controlSize.height) / 2);
    if (labelSize.height > controlSize.height && baseline) {
        labelTop = 0;
        controlTop = std::max(0.0, std::round(*baseline * 0.6 - controlSize.height / 2));
    }
    bool controlFirst = side == LabelSide::Trailing && !formRow;
    double controlX = controlFirst ? 0 : width - controlSize.width;
    double labelX = controlFirst ? controlSize.width + spacing : 0;
    layout.label = Rect{{labelX, labelTop}, labelSize};
    layout.control = {{controlX, controlTop}, controlSize};
    layout.size = {width, height};
    if (baseline) {
        layout.firstBaseline = labelTop + *baseline;
    }
    return layout;
}

Size LabeledNode::sizeThatFits(const Element& element, ProposedViewSize proposal) const {
    return layout(element, proposal).size;
}

void LabeledNode::placeChildren(Element& element) const {
    LabeledLayout l = layout(element, element.proposal);
    if (l.label && !element.children.empty()) {
        Rect frame = *l.label;
        frame.origin = {element.frame.minX() + frame.minX(), element.frame.minY() + frame.minY()};
        place(*element.children.front(), frame, l.labelProposal);
    }
}

std::optional<double> LabeledNode::firstBaseline(const Element& element,
                                                 ProposedViewSize proposal) const {
    return layout(element, proposal).firstBaseline;
}

Rect LabeledNode::controlFrame(const Element& element, const LabeledLayout& layout) {
    return {{element.frame.minX() + layout.control.minX(),
             element.frame.minY() + layout.control.minY()},
            layout.control.size};
}

} // namespace SwiftUI
