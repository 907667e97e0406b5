#include "Core/CellPainter.h"
#include "Core/Description.h"
#include "Core/Metrics.h"
#include "Core/Painter.h"
#include "Core/Resolver.h"
#include "Core/StackLayout.h"

#include <SwiftUI/Stacks.h>

namespace SwiftUI {

namespace {

constexpr double defaultSpacing = 8;

class StackNode final : public StackedNode {
public:
    StackNode(StackSpec spec, std::vector<View> content)
        : StackedNode(spec), m_content(std::move(content)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        auto element = makeElement(scope);
        auto inner = modified(scope.environment, [this](Environment& environment) {
            environment.stackAxis = spec().axis;
            environment.inFormRow = false;
        });
        element->children = resolver.resolveAll(m_content, scope.with(inner));
        out.push_back(std::move(element));
    }
    void describe(const Element& element, Description& description) const override {
        description.line(element, spec().axis == Axis::Vertical ? "VStack" : "HStack");
        description.children(element);
    }

private:
    std::vector<View> m_content;
};

class SpacerNode final : public Node {
public:
    explicit SpacerNode(std::optional<double> minLength) : m_minLength(minLength) {}

    Size sizeThatFits(const Element& element, ProposedViewSize proposal) const override {
        const double points = m_minLength.value_or(defaultSpacing);
        auto stretch = [](double minimum, std::optional<double> offered) {
            return std::max(minimum, offered.value_or(minimum));
        };
        switch (element.env().stackAxis.value_or(Axis::Vertical)) {
        case Axis::Horizontal:
            return {stretch(metrics().horizontal(points), proposal.width), 0};
        case Axis::Vertical:
            return {0, stretch(metrics().vertical(points), proposal.height)};
        }
        return {};
    }
    bool isSpacer() const override { return true; }
    void describe(const Element& element, Description& description) const override {
        auto line = description.line(element, "Spacer");
        if (m_minLength) {
            line.value("min", std::to_string(int(*m_minLength)));
        }
    }
    void draw(const Element&, Painter&) const override {}

private:
    std::optional<double> m_minLength;
};

class DividerNode final : public Node {
public:
    Size sizeThatFits(const Element& element, ProposedViewSize proposal) const override {
        if (element.env().stackAxis == Axis::Horizontal) {
            return {metrics().hairline(), proposal.height.value_or(0)};
        }
        return {proposal.width.value_or(0), metrics().hairline()};
    }
    void describe(const Element& element, Description& description) const override {
        description.line(element, "Divider");
    }
    void draw(const Element& element, Painter& painter) const override {
        painter.fillRoundedRect(element.frame, 0, Color::separator.resolved());
    }
    void drawCells(const Element& element, CellPainter& painter) const override {
        painter.fill(CellPainter::cells(element.frame), cellStyle(Color::separator),
                     element.env().stackAxis == Axis::Horizontal ? "│" : "─");
    }
};

class GroupNode final : public Node {
public:
    explicit GroupNode(std::vector<std::pair<std::string, View>> content)
        : m_content(std::move(content)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        for (const auto& [key, view] : m_content) {
            resolver.resolve(view, scope.child(key), out);
        }
    }

private:
    std::vector<std::pair<std::string, View>> m_content;
};

std::vector<std::pair<std::string, View>> byPosition(std::vector<View> content) {
    std::vector<std::pair<std::string, View>> result;
    for (std::size_t i = 0; i < content.size(); ++i) {
        result.emplace_back(std::to_string(i), std::move(content[i]));
    }
    return result;
}

std::shared_ptr<const Node> stack(StackSpec spec, std::vector<View> content) {
    return std::make_shared<StackNode>(spec, std::move(content));
}

} // namespace

VStack::VStack(std::vector<View> content) : VStack(Options{}, std::move(content)) {}

VStack::VStack(Options options, std::vector<View> content)
    : View(stack({.axis = Axis::Vertical,
                  .spacing = options.spacing.value_or(defaultSpacing),
                  .horizontal = options.alignment},
                 std::move(content))) {}

HStack::HStack(std::vector<View> content) : HStack(Options{}, std::move(content)) {}

HStack::HStack(Options options, std::vector<View> content)
    : View(stack({.axis = Axis::Horizontal,
                  .spacing = options.spacing.value_or(defaultSpacing),
                  .vertical = options.alignment},
                 std::move(content))) {}

Spacer::Spacer(std::optional<double> minLength) : View(std::make_shared<SpacerNode>(minLength)) {}

Divider::Divider() : View(std::make_shared<DividerNode>()) {}

Group::Group(std::vector<View> content)
    : View(std::make_shared<GroupNode>(byPosition(std::move(content)))) {}

std::shared_ptr<const Node> ForEach::makeNode(std::vector<std::pair<std::string, View>> views) {
    for (auto& [key, view] : views) {
        key = "[" + key + "]";
    }
    return std::make_shared<GroupNode>(std::move(views));
}

} // namespace SwiftUI
