#include "Metrics.h"

#include <algorithm>
#include <cmath>

namespace SwiftUI {

namespace {

const PointMetrics pointMetrics;
thread_local const Metrics* current = &pointMetrics;

} // namespace

ControlMetrics PointMetrics::controls(ControlSize size) const {
    switch (size) {
    case ControlSize::Mini:
        return {15, 6, {10, 10}, {20, 12}, 10, 22};
    case ControlSize::Small:
        return {19, 8, {12, 12}, {26, 15}, 16, 22};
    case ControlSize::Regular:
        return {22, 10, {14, 14}, {32, 18}, 32, 22};
    case ControlSize::Large:
        return {28, 12, {16, 16}, {38, 22}, 40, 22};
    }
    return {22, 10, {14, 14}, {32, 18}, 32, 22};
}

TextExtent PointMetrics::text(const StyledText& text) const {
    Graphics::TextLayout layout(pointParagraph(text));
    return {roundedSize(layout), layout.firstBaseline()};
}

double PointMetrics::lineHeight(const Font& font) const {
    return Graphics::metrics(font.resolved()).lineHeight;
}

Size PointMetrics::symbolSize(const Font& font) const {
    return SwiftUI::symbolSize(font);
}

double PointMetrics::symbolBaseline(const Font& font) const {
    return SwiftUI::symbolBaseline(font);
}

double CellMetrics::cells(double points, double unit) {
    return std::ceil(points / unit - 0.5);
}

double CellMetrics::horizontal(double points) const {
    double columns = cells(points, columnPoints);
    return std::isfinite(columns) ? std::min(columns, double(m_width)) : columns;
}

double CellMetrics::gapAcross(double points) const {
    return points > 0 ? std::max(1.0, horizontal(points)) : horizontal(points);
}

std::optional<double> CellMetrics::heightBound(double points) const {
    // An infinite bound still means "fill what is proposed".
    if (std::isinf(points)) {
        return points;
    }
    return std::nullopt;
}

Size CellMetrics::settled(Size size) const {
    auto whole = [](double length) { return std::isfinite(length) ? std::floor(length) : length; };
    return {whole(size.width), whole(size.height)};
}

Size CellMetrics::toPoints(Size size) const {
    return {size.width * columnPoints, size.height * rowPoints};
}

Size CellMetrics::fromPoints(Size points) const {
    return {cells(points.width, columnPoints), cells(points.height, rowPoints)};
}

Point CellMetrics::positionFromPoints(Point points) const {
    // A little below a whole cell counts as that cell, for arithmetic in points that misses it.
    constexpr double slack = 1e-6;
    return {std::ceil(points.x / columnPoints - slack), std::ceil(points.y / rowPoints - slack)};
}

ControlMetrics CellMetrics::controls(ControlSize) const {
    // A button is one row, `[ Title ]`; a checkbox or switch `[x]`; a pop-up `[ Title ▾ ]`.
    return {1, 2, {3, 1}, {3, 1}, 1, 4};
}

TextExtent CellMetrics::text(const StyledText& text) const {
    Graphics::CellTextLayout layout = Graphics::layOutCells(cellParagraph(text, {}));
    return {{double(layout.columns), double(layout.lines.size())}, 1};
}

Size CellMetrics::imageSize(Size pixels) const {
    return fromPoints(pixels);
}

const Metrics& metrics() {
    return *current;
}

MetricsScope::MetricsScope(const Metrics& metrics) : m_previous(current) {
    current = &metrics;
}

MetricsScope::~MetricsScope() {
    current = m_previous;
}

} // namespace SwiftUI
