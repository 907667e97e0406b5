// Sizes, proposals, alignments and edges of the declarative view layer.
//
// Layout is a conversation: a parent proposes a size to a child, with either
// dimension left unspecified (the child answers with its ideal size there) or
// infinite (the child may take as much as it wants), and the child answers with
// the size it takes. The parent then places the child.
#pragma once

#include <Graphics/Geometry.h>
#include <limits>
#include <optional>

namespace SwiftUI {

using Graphics::Point;
using Graphics::Rect;
using Graphics::Size;

inline constexpr double infinity = std::numeric_limits<double>::infinity();

struct ProposedViewSize {
    std::optional<double> width{};
    std::optional<double> height{};

    static constexpr ProposedViewSize unspecified() { return {}; }
    static constexpr ProposedViewSize zero() { return {0.0, 0.0}; }
    static constexpr ProposedViewSize infinite() { return {infinity, infinity}; }
    static constexpr ProposedViewSize exactly(Size size) { return {size.width, size.height}; }

    // The proposal with unspecified dimensions replaced by `size`'s.
    constexpr Size replacingUnspecifiedDimensions(Size size = {10, 10}) const {
        return {width.value_or(size.width), height.value_or(size.height)};
    }
    bool operator==(const ProposedViewSize&) const = default;
};

enum class Axis { Horizontal, Vertical };

enum class HorizontalAlignment { Leading, Center, Trailing };
enum class VerticalAlignment { Top, Center, Bottom, FirstTextBaseline };

struct Alignment {
    HorizontalAlignment horizontal = HorizontalAlignment::Center;
    VerticalAlignment vertical = VerticalAlignment::Center;

    static const Alignment center, leading, trailing, top, bottom, topLeading, topTrailing,
        bottomLeading, bottomTrailing;
    bool operator==(const Alignment&) const = default;
};

inline constexpr Alignment Alignment::center{HorizontalAlignment::Center,
                                             VerticalAlignment::Center};
inline constexpr Alignment Alignment::leading{HorizontalAlignment::Leading,
                                              VerticalAlignment::Center};
inline constexpr Alignment Alignment::trailing{HorizontalAlignment::Trailing,
                                               VerticalAlignment::Center};
inline constexpr Alignment Alignment::top{HorizontalAlignment::Center, VerticalAlignment::Top};
inline constexpr Alignment Alignment::bottom{HorizontalAlignment::Center,
                                             VerticalAlignment::Bottom};
inline constexpr Alignment Alignment::topLeading{HorizontalAlignment::Leading,
                                                 VerticalAlignment::Top};
inline constexpr Alignment Alignment::topTrailing{HorizontalAlignment::Trailing,
                                                  VerticalAlignment::Top};
inline constexpr Alignment Alignment::bottomLeading{HorizontalAlignment::Leading,
                                                    VerticalAlignment::Bottom};
inline constexpr Alignment Alignment::bottomTrailing{HorizontalAlignment::Trailing,
                                                     VerticalAlignment::Bottom};

// A point in a view's bounds as fractions of its size: (0, 0) top-leading, (1, 1) bottom-trailing.
struct UnitPoint {
    double x = 0;
    double y = 0;

    static const UnitPoint topLeading, center;
    bool operator==(const UnitPoint&) const = default;
};

inline constexpr UnitPoint UnitPoint::topLeading{0, 0};
inline constexpr UnitPoint UnitPoint::center{0.5, 0.5};

// A set of edges, for padding.
class Edges {
public:
    static const Edges top, leading, bottom, trailing, horizontal, vertical, all;

    constexpr Edges operator|(Edges other) const { return Edges(m_bits | other.m_bits); }
    constexpr bool contains(Edges other) const { return (m_bits & other.m_bits) == other.m_bits; }

private:
    constexpr explicit Edges(unsigned bits) : m_bits(bits) {}
    unsigned m_bits;
};

inline constexpr Edges Edges::top{1};
inline constexpr Edges Edges::leading{2};
inline constexpr Edges Edges::bottom{4};
inline constexpr Edges Edges::trailing{8};
inline constexpr Edges Edges::horizontal{2 | 8};
inline constexpr Edges Edges::vertical{1 | 4};
inline constexpr Edges Edges::all{15};

struct EdgeInsets {
    double top = 0;
    double leading = 0;
    double bottom = 0;
    double trailing = 0;

    constexpr EdgeInsets() = default;
    constexpr EdgeInsets(double top, double leading, double bottom, double trailing)
        : top(top), leading(leading), bottom(bottom), trailing(trailing) {}
    constexpr EdgeInsets(Edges edges, double amount)
        : top(edges.contains(Edges::top) ? amount : 0),
          leading(edges.contains(Edges::leading) ? amount : 0),
          bottom(edges.contains(Edges::bottom) ? amount : 0),
          trailing(edges.contains(Edges::trailing) ? amount : 0) {}
    bool operator==(const EdgeInsets&) const = default;
};

} // namespace SwiftUI
