// The units a layout pass measures in: points, for drawing a bitmap, or
// character cells, for a terminal.
//
// Every node measures through the metric in force (`metrics()`): text, the
// parts controls are made of, and the lengths view code gives in points
// (padding, spacing, frames, spacer lengths), which the metric turns into its
// own units. In points every length stays as given. In cells a column stands
// for 8 points and a row for 16, a length becoming the nearest whole number of
// cells with halves going down (8 points of vertical spacing is no row, 12 is
// one), and no length across exceeds the width the cells are laid out in;
// text takes a column per character (two for a wide one) and a row per line.
// A window in cells is as tall as its content, since the terminal scrolls it,
// so a finite bound on a height is lifted there.
//
// `MetricsScope` puts a metric in force on its thread for its lifetime; the
// points metric is in force otherwise. Measurements that elements remember are
// in the units of the metric they were made with.
#pragma once

#include "TextSupport.h"

#include <optional>

namespace SwiftUI {

// The sizes of the parts controls are made of.
struct ControlMetrics {
    double height;
    // Between a bordered button's edge and its label, at each side.
    double padding;
    Size checkbox;
    Size toggleSwitch;
    double spinner;
    // A pop-up menu's arrows and the space before them.
    double menuArrow;
};

struct TextExtent {
    Size size;
    // From the top to the first line's baseline.
    double firstBaseline = 0;
};

class Metrics {
public:
    virtual ~Metrics() = default;

    // Lengths view code gives in points, across and down, in this metric's units.
    virtual double horizontal(double points) const = 0;
    virtual double vertical(double points) const = 0;
    // A bound on a height that view code gives in points; none where heights are unbounded.
    virtual std::optional<double> heightBound(double points) const = 0;
    // The gap across between a stack's views that view code gives in points.
    virtual double gapAcross(double points) const { return horizontal(points); }
    // The thickness of a divider.
    virtual double hairline() const = 0;
    // A size that a node worked out from its proposal, in whole units where the metric has them.
    virtual Size settled(Size size) const = 0;

    // Sizes in this metric's units as points and back, for custom layouts, which work in points.
    virtual Size toPoints(Size size) const = 0;
    virtual Size fromPoints(Size points) const = 0;
    // Where a custom layout puts a subview, in this metric's units: never before that point, so
    // that no subview reaches into the room the layout left before it.
    virtual Point positionFromPoints(Point points) const = 0;

    virtual ControlMetrics controls(ControlSize size) const = 0;
    virtual TextExtent text(const StyledText& text) const = 0;
    virtual double lineHeight(const Font& font) const = 0;
    // A symbol's box in `font`, as high as a line, and its baseline.
    virtual Size symbolSize(const Font& font) const = 0;
    virtual double symbolBaseline(const Font& font) const = 0;
    // A named image of `pixels`, which are points.
    virtual Size imageSize(Size pixels) const = 0;
};

class PointMetrics final : public Metrics {
public:
    double horizontal(double points) const override { return points; }
    double vertical(double points) const override { return points; }
    std::optional<double> heightBound(double points) const override { return points; }
    double hairline() const override { return 1; }
    Size settled(Size size) const override { return size; }
    Size toPoints(Size size) const override { return size; }
    Size fromPoints(Size points) const override { return points; }
    Point positionFromPoints(Point points) const override { return points; }
    ControlMetrics controls(ControlSize size) const override;
    TextExtent text(const StyledText& text) const override;
    double lineHeight(const Font& font) const override;
    Size symbolSize(const Font& font) const override;
    double symbolBaseline(const Font& font) const override;
    Size imageSize(Size pixels) const override { return pixels; }
};

class CellMetrics final : public Metrics {
public:
    static constexpr double columnPoints = 8;
    static constexpr double rowPoints = 16;

    // Lays out in cells at most `width` columns wide.
    explicit CellMetrics(int width) : m_width(width) {}

    // `points` as a whole number of cells of `unit` points, halves going down.
    static double cells(double points, double unit);

    double horizontal(double points) const override;
    double vertical(double points) const override { return cells(points, rowPoints); }
    // Any gap keeps a column, so that two texts set apart never run together.
    double gapAcross(double points) const override;
    std::optional<double> heightBound(double points) const override;
    double hairline() const override { return 1; }
    Size settled(Size size) const override;
    Size toPoints(Size size) const override;
    Size fromPoints(Size points) const override;
    Point positionFromPoints(Point points) const override;
    ControlMetrics controls(ControlSize size) const override;
    TextExtent text(const StyledText& text) const override;
    double lineHeight(const Font&) const override { return 1; }
    Size symbolSize(const Font&) const override { return {1, 1}; }
    double symbolBaseline(const Font&) const override { return 1; }
    Size imageSize(Size pixels) const override;

private:
    int m_width;
};

// The metric in force on this thread.
const Metrics& metrics();

class MetricsScope {
public:
    explicit MetricsScope(const Metrics& metrics);
    ~MetricsScope();
    MetricsScope(const MetricsScope&) = delete;
    MetricsScope& operator=(const MetricsScope&) = delete;

private:
    const Metrics* m_previous;
};

} // namespace SwiftUI
