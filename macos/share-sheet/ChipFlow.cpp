#include "ChipFlow.h"

#include <algorithm>
#include <limits>

using SwiftUI::ProposedViewSize;

std::vector<ChipFlow::Row> ChipFlow::arrange(double width,
                                             const SwiftUI::LayoutSubviews& subviews) const {
    std::vector<Row> rows;
    Row current;
    for (std::size_t index = 0; index < subviews.size(); ++index) {
        const SwiftUI::Size size = subviews[index].sizeThatFits(ProposedViewSize::unspecified());
        if (!current.chips.empty() && current.width + spacing + size.width > width) {
            const double y = current.y + current.height + spacing;
            rows.push_back(std::move(current));
            current = Row{{}, y, 0, 0};
        }
        current.width = current.chips.empty() ? size.width : current.width + spacing + size.width;
        current.height = std::max(current.height, size.height);
        current.chips.push_back({index, size});
    }
    if (!subviews.empty()) {
        rows.push_back(std::move(current));
    }
    return rows;
}

SwiftUI::Size ChipFlow::sizeThatFits(ProposedViewSize proposal,
                                     const SwiftUI::LayoutSubviews& subviews) const {
    const auto rows =
        arrange(proposal.width.value_or(std::numeric_limits<double>::infinity()), subviews);
    const double height = rows.empty() ? 0 : rows.back().y + rows.back().height;
    if (proposal.width) {
        return {*proposal.width, height};
    }
    double width = 0;
    for (const Row& row : rows) {
        width = std::max(width, row.width);
    }
    return {width, height};
}

void ChipFlow::placeSubviews(SwiftUI::Rect bounds, ProposedViewSize,
                             const SwiftUI::LayoutSubviews& subviews) const {
    for (const Row& row : arrange(bounds.width(), subviews)) {
        double x = bounds.minX();
        for (const Chip& chip : row.chips) {
            subviews[chip.index].place({x, bounds.minY() + row.y}, SwiftUI::UnitPoint::topLeading,
                                       ProposedViewSize::exactly(chip.size));
            x += chip.size.width + spacing;
        }
    }
}
