#include "StackLayout.h"

#include "Metrics.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace SwiftUI {

namespace {

struct Axes {
    Axis axis;
    double main(Size size) const { return axis == Axis::Horizontal ? size.width : size.height; }
    double cross(Size size) const { return axis == Axis::Horizontal ? size.height : size.width; }
    std::optional<double> main(ProposedViewSize p) const {
        return axis == Axis::Horizontal ? p.width : p.height;
    }
    std::optional<double> cross(ProposedViewSize p) const {
        return axis == Axis::Horizontal ? p.height : p.width;
    }
    ProposedViewSize proposal(std::optional<double> main, std::optional<double> cross) const {
        return axis == Axis::Horizontal ? ProposedViewSize{main, cross}
                                        : ProposedViewSize{cross, main};
    }
    Point point(double main, double cross) const {
        return axis == Axis::Horizontal ? Point{main, cross} : Point{cross, main};
    }
    Size size(double main, double cross) const {
        return axis == Axis::Horizontal ? Size{main, cross} : Size{cross, main};
    }
};

} // namespace

std::vector<const Element*> childPointers(const Element& element) {
    std::vector<const Element*> result;
    for (const auto& child : element.children) {
        result.push_back(child.get());
    }
    return result;
}

StackPlan planStack(const StackSpec& spec, const std::vector<const Element*>& children,
                    ProposedViewSize proposal, std::optional<double> crossLength) {
    Axes axes{spec.axis};
    StackPlan plan;
    std::size_t count = children.size();
    if (count == 0) {
        return plan;
    }
    plan.proposals.resize(count);
    plan.sizes.resize(count);
    auto pCross = axes.cross(proposal);
    const double gap = spec.axis == Axis::Horizontal ? metrics().gapAcross(spec.spacing)
                                                     : metrics().vertical(spec.spacing);
    double spacing = gap * double(count - 1);

    if (auto pMain = axes.main(proposal)) {
        std::vector<double> minimum(count), ideal(count), flexibility(count);
        for (std::size_t i = 0; i < count; ++i) {
            minimum[i] = axes.main(measure(*children[i], axes.proposal(0.0, pCross)));
            ideal[i] = axes.main(measure(*children[i], axes.proposal(std::nullopt, pCross)));
            double maximum = axes.main(measure(*children[i], axes.proposal(infinity, pCross)));
            flexibility[i] = maximum - minimum[i];
        }
        std::vector<std::size_t> order(count);
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return flexibility[a] < flexibility[b];
        });
        double remaining = std::max(0.0, *pMain - spacing);
        double minimumsLeft = std::accumulate(minimum.begin(), minimum.end(), 0.0);
        for (std::size_t k = 0; k < count; ++k) {
            std::size_t i = order[k];
            minimumsLeft -= minimum[i];
            double share = remaining / double(count - k);
            double available = std::max(0.0, remaining - minimumsLeft);
            double offer = std::max(share, std::min(ideal[i], available));
            plan.proposals[i] = axes.proposal(offer, pCross);
            plan.sizes[i] = measure(*children[i], plan.proposals[i]);
            remaining = std::max(0.0, remaining - axes.main(plan.sizes[i]));
        }
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            plan.proposals[i] = axes.proposal(std::nullopt, pCross);
            plan.sizes[i] = measure(*children[i], plan.proposals[i]);
        }
    }

    double mainLength = spacing;
    for (const Size& size : plan.sizes) {
        mainLength += axes.main(size);
    }

    // Across the axis: where each child's top (or leading edge) goes before aligning in the space.
    std::vector<double> crossStart(count, 0);
    double crossExtent = 0;
    bool byBaseline =
        spec.axis == Axis::Horizontal && spec.vertical == VerticalAlignment::FirstTextBaseline;
    if (byBaseline) {
        std::vector<double> baselines(count);
        double highest = 0;
        for (std::size_t i = 0; i < count; ++i) {
            baselines[i] =
                baselineOf(*children[i], plan.proposals[i]).value_or(plan.sizes[i].height);
            highest = std::max(highest, baselines[i]);
        }
        for (std::size_t i = 0; i < count; ++i) {
            crossStart[i] = std::round(highest - baselines[i]);
            crossExtent = std::max(crossExtent, crossStart[i] + plan.sizes[i].height);
        }
        plan.firstBaseline = highest;
    } else {
        for (const Size& size : plan.sizes) {
            crossExtent = std::max(crossExtent, axes.cross(size));
        }
    }
    plan.size = axes.size(mainLength, crossExtent);

    double space = crossLength.value_or(crossExtent);
    double position = 0;
    plan.offsets.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        double across = crossStart[i];
        if (!byBaseline) {
            double length = axes.cross(plan.sizes[i]);
            across = spec.axis == Axis::Vertical ? alignedOffset(space, length, spec.horizontal)
                                                 : alignedOffset(space, length, spec.vertical);
        }
        plan.offsets[i] = axes.point(position, across);
        position += axes.main(plan.sizes[i]) + gap;
    }
    if (!byBaseline) {
        for (std::size_t i = 0; i < count && !plan.firstBaseline; ++i) {
            if (auto baseline = baselineOf(*children[i], plan.proposals[i])) {
                plan.firstBaseline = plan.offsets[i].y + *baseline;
            }
        }
    }
    return plan;
}

void placeStack(const StackSpec& spec, Element& element) {
    Axes axes{spec.axis};
    StackPlan plan =
        planStack(spec, childPointers(element), element.proposal, axes.cross(element.frame.size));
    for (std::size_t i = 0; i < element.children.size(); ++i) {
        Point origin{element.frame.minX() + plan.offsets[i].x,
                     element.frame.minY() + plan.offsets[i].y};
        place(*element.children[i], {origin, plan.sizes[i]}, plan.proposals[i]);
    }
}

Size StackedNode::sizeThatFits(const Element& element, ProposedViewSize proposal) const {
    return planStack(m_spec, childPointers(element), proposal).size;
}

void StackedNode::placeChildren(Element& element) const {
    placeStack(m_spec, element);
}

std::optional<double> StackedNode::firstBaseline(const Element& element,
                                                 ProposedViewSize proposal) const {
    return planStack(m_spec, childPointers(element), proposal).firstBaseline;
}

} // namespace SwiftUI
