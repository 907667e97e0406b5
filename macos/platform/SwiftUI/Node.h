// The framework's view nodes (read by the framework's own files and its templates).
//
// A `View` value holds an immutable node. Rendering first resolves nodes into
// elements: custom views run their bodies, groups and ForEach flatten into their
// container, modifiers of the environment pass it down, and each remaining node
// becomes one element with an identity (its place in the tree) and the
// environment in force there. Elements are then measured (`sizeThatFits`), placed
// (`placeChildren`), described as text and drawn, all by the node that made them.
// Measuring and placing work in the units of the metric in force (Core/Metrics.h):
// points for `draw`, character cells for `drawCells`.
#pragma once

#include <SwiftUI/Geometry.h>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SwiftUI {

struct Element;
struct Environment;
class Resolver;
class Description;
class Painter;
class CellPainter;

using ElementList = std::vector<std::unique_ptr<Element>>;

// Where a node is resolved: the identity of its place and the environment in force.
struct Scope {
    std::string identity;
    std::shared_ptr<const Environment> environment;

    Scope child(std::string_view part) const {
        return {identity + "/" + std::string(part), environment};
    }
    Scope with(std::shared_ptr<const Environment> replacement) const {
        return {identity, std::move(replacement)};
    }
};

class Node : public std::enable_shared_from_this<Node> {
public:
    virtual ~Node();

    // Appends this node's elements to `out`; by default one element with no children.
    virtual void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const;

    virtual Size sizeThatFits(const Element& element, ProposedViewSize proposal) const;
    // Places the children of an element whose frame and proposal are already set.
    virtual void placeChildren(Element& element) const;
    // Distance from the top to the first line of text, for the size `proposal` gives.
    virtual std::optional<double> firstBaseline(const Element& element,
                                                ProposedViewSize proposal) const;

    virtual void describe(const Element& element, Description& description) const;
    virtual void draw(const Element& element, Painter& painter) const;
    // Draws an element laid out in cells; by default its children.
    virtual void drawCells(const Element& element, CellPainter& painter) const;

    // Spacers stretch along their stack and take nothing across it.
    virtual bool isSpacer() const { return false; }

protected:
    std::unique_ptr<Element> makeElement(const Scope& scope) const;
};

} // namespace SwiftUI
