// A layout that flows its children left to right and wraps them into rows.
//
// Every child keeps its ideal size. A child goes on the current row while the
// row, with `spacing` before the child, stays within the available width; a
// child wider than the width stands alone on its row, never shrunk. Rows are
// stacked `spacing` apart and children share their row's top edge. Nothing is
// cached: rows are worked out afresh for each size query and placement, each
// child measured once for it.
#pragma once

#include <SwiftUI/Layout.h>
#include <cstddef>
#include <vector>

class ChipFlow : public SwiftUI::Layout<ChipFlow> {
public:
    explicit ChipFlow(double spacing) : spacing(spacing) {}

    SwiftUI::Size sizeThatFits(SwiftUI::ProposedViewSize proposal,
                               const SwiftUI::LayoutSubviews& subviews) const override;
    void placeSubviews(SwiftUI::Rect bounds, SwiftUI::ProposedViewSize proposal,
                       const SwiftUI::LayoutSubviews& subviews) const override;

    double spacing;

private:
    struct Chip {
        std::size_t index;
        SwiftUI::Size size;
    };
    struct Row {
        std::vector<Chip> chips;
        double y = 0;
        double width = 0;
        double height = 0;
    };
    std::vector<Row> arrange(double width, const SwiftUI::LayoutSubviews& subviews) const;
};
