// Points, sizes and rectangles in points.
//
// One point is one pixel in every image this layer draws. The y axis points
// down: a rectangle's origin is its top-left corner.
#pragma once

namespace Graphics {

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    Point origin{};
    Size size{};

    double minX() const { return origin.x; }
    double minY() const { return origin.y; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    double width() const { return size.width; }
    double height() const { return size.height; }
    bool contains(Point p) const {
        return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }
    bool operator==(const Rect&) const = default;
};

} // namespace Graphics
