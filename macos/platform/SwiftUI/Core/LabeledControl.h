// The layout shared by toggles and pickers: a label and the control itself.
//
// Alone, the control comes first for a checkbox and last for other controls,
// with its label beside it; in a form row the label takes the leading edge and
// the control the trailing one, across the whole row. A hidden label leaves the
// control alone.
#pragma once

#include "Element.h"

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

} // namespace SwiftUI
