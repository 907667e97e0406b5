// Shapes: rectangles, rounded rectangles, capsules and circles.
//
// A shape takes all the space it is proposed (10 points where none is) and is
// filled with the foreground colour unless given a fill; `strokeBorder` draws
// its outline inside its edge. Most often a shape stands behind or over another
// view through `background` or `overlay`.
#pragma once

#include <SwiftUI/View.h>

namespace SwiftUI {

enum class RoundedCornerStyle { Circular, Continuous };
enum class ShapeKind { Rectangle, RoundedRectangle, Capsule, Circle };

class Shape : public View {
public:
    Shape fill(Color style) const;
    Shape strokeBorder(Color style, double lineWidth = 1) const;

protected:
    Shape(ShapeKind kind, double cornerRadius);

private:
    explicit Shape(std::shared_ptr<const Node> node) : View(std::move(node)) {}
};

class Rectangle : public Shape {
public:
    Rectangle() : Shape(ShapeKind::Rectangle, 0) {}
};

class RoundedRectangle : public Shape {
public:
    // Both corner styles are drawn as circular arcs.
    explicit RoundedRectangle(double cornerRadius,
                              RoundedCornerStyle = RoundedCornerStyle::Circular)
        : Shape(ShapeKind::RoundedRectangle, cornerRadius) {}
};

class Capsule : public Shape {
public:
    Capsule() : Shape(ShapeKind::Capsule, 0) {}
};

class Circle : public Shape {
public:
    Circle() : Shape(ShapeKind::Circle, 0) {}
};

} // namespace SwiftUI
