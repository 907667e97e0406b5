// Custom layouts: a type that sizes and places its subviews itself.
//
//     struct ChipFlow : SwiftUI::Layout<ChipFlow> {
//         double spacing;
//         explicit ChipFlow(double spacing) : spacing(spacing) {}
//         Size sizeThatFits(ProposedViewSize proposal, const LayoutSubviews& subviews) const
//         override; void placeSubviews(Rect bounds, ProposedViewSize proposal,
//                            const LayoutSubviews& subviews) const override;
//     };
//     ChipFlow(6)({ForEach(tags, …), newTagButton})
//
// The layout is asked for its size with a proposal and later asked to place its
// subviews in bounds of the size it answered (in window coordinates). A
// subview answers `sizeThatFits` like any view; `place` puts the subview's
// `anchor` at `position` and sizes it for `proposal`. A subview the layout does
// not place sits at the centre of the bounds. Nothing is cached between calls.
#pragma once

#include <SwiftUI/View.h>
#include <memory>
#include <vector>

namespace SwiftUI {

class LayoutSubview {
public:
    LayoutSubview(Element& element, bool& placed) : m_element(&element), m_placed(&placed) {}

    Size sizeThatFits(ProposedViewSize proposal) const;
    void place(Point position, UnitPoint anchor = UnitPoint::topLeading,
               ProposedViewSize proposal = ProposedViewSize::unspecified()) const;

private:
    Element* m_element;
    bool* m_placed;
};

using LayoutSubviews = std::vector<LayoutSubview>;

class AnyLayout {
public:
    virtual ~AnyLayout() = default;
    virtual Size sizeThatFits(ProposedViewSize proposal, const LayoutSubviews& subviews) const = 0;
    virtual void placeSubviews(Rect bounds, ProposedViewSize proposal,
                               const LayoutSubviews& subviews) const = 0;
};

// The view laying out `content` with `layout`.
View layoutView(std::shared_ptr<const AnyLayout> layout, std::vector<View> content);

template <typename Self> class Layout : public AnyLayout {
public:
    View operator()(std::vector<View> content) const {
        return layoutView(std::make_shared<Self>(static_cast<const Self&>(*this)),
                          std::move(content));
    }
};

} // namespace SwiftUI
