#include "Core/Controls.h"
#include "Core/Description.h"
#include "Core/LabeledControl.h"
#include "Core/Painter.h"
#include "Core/Resolver.h"
#include "Core/TextSupport.h"

#include <SwiftUI/Controls.h>
#include <algorithm>
#include <cmath>

namespace SwiftUI {

namespace {

constexpr double arrowWidth = 16;
constexpr double segmentPadding = 10;
constexpr Graphics::Color fieldFill{1, 1, 1, 1};
constexpr Graphics::Color fieldBorder{0, 0, 0, 0.18};

// The first child is the title; the options follow.
class PickerNode final : public LabeledNode, public PickerControl {
public:
    PickerNode(Text title, Picker::Selection selection, std::vector<View> options)
        : m_title(std::move(title)), m_selection(std::move(selection)),
          m_options(std::move(options)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        auto element = makeElement(scope);
        auto inner = labelEnvironment(scope.environment);
        resolver.resolve(m_title, scope.child("title").with(inner), element->children);
        auto options = resolver.resolveAll(m_options, scope.child("options").with(inner));
        for (auto& option : options) {
            element->children.push_back(std::move(option));
        }
        out.push_back(std::move(element));
    }

    std::optional<double> firstBaseline(const Element& element,
                                        ProposedViewSize proposal) const override {
        LabeledLayout l = layout(element, proposal);
        if (l.firstBaseline) {
            return l.firstBaseline;
        }
        return l.control.minY() +
               Graphics::TextLayout(paragraph("X", element.env())).firstBaseline() + 3;
    }

    void describe(const Element& element, Description& description) const override {
        auto line = description.line(element, "Picker");
        line.quoted(joinedText(*element.children.front()));
        line.flag(isSegmented(element) ? "segmented" : "menu");
        auto chosen = selectedIndex(element);
        if (chosen) {
            line.quotedValue("selection", title(element, *chosen));
        } else {
            line.value("selection", "none");
        }
        if (element.env().labelsHidden) {
            line.flag("labels-hidden");
        }
        if (element.env().disabled) {
            line.flag("disabled");
        }
        description.nested([&] {
            for (std::size_t i = 0; i < optionCount(element); ++i) {
                auto option = description.line(*element.children[i + 1], "Option");
                option.quoted(title(element, i));
                if (chosen == i) {
                    option.flag("selected");
                }
            }
        });
    }
    void draw(const Element& element, Painter& painter) const override {
        LabeledLayout l = layout(element, element.proposal);
        Rect control = controlFrame(element, l);
        painter.dimmed(element.env().disabled, [&] {
            if (l.label) {
                painter.draw(*element.children.front());
            }
            isSegmented(element) ? drawSegments(element, painter, control)
                                 : drawMenu(element, painter, control);
        });
    }

    std::vector<std::string> titles(const Element& element) const override {
        return {joinedText(*element.children.front())};
    }
    bool choose(const Element& element, std::string_view wanted) const override {
        for (std::size_t i = 0; i < optionCount(element); ++i) {
            if (title(element, i) == wanted) {
                m_selection.select(element.children[i + 1]->tag);
                return true;
            }
        }
        return false;
    }

private:
    static std::size_t optionCount(const Element& element) { return element.children.size() - 1; }
    static std::string title(const Element& element, std::size_t option) {
        return joinedText(*element.children[option + 1]);
    }
    std::optional<std::size_t> selectedIndex(const Element& element) const {
        for (std::size_t i = 0; i < optionCount(element); ++i) {
            if (m_selection.isSelected(element.children[i + 1]->tag)) {
                return i;
            }
        }
        return std::nullopt;
    }
    static bool isSegmented(const Element& element) {
        return element.env().pickerStyle == PickerStyle::Segmented;
    }
    static Size titleSize(const Element& element, const std::string& text) {
        return roundedSize(Graphics::TextLayout(paragraph(text, element.env())));
    }

    Size controlSize(const Element& element) const {
        auto metrics = controlMetrics(element.env().controlSize);
        double width = 0;
        for (std::size_t i = 0; i < optionCount(element); ++i) {
            double optionWidth = titleSize(element, title(element, i)).width;
            width = isSegmented(element) ? width + optionWidth + 2 * segmentPadding
                                         : std::max(width, optionWidth);
        }
        if (!isSegmented(element)) {
            width += metrics.padding + arrowWidth + 6;
        }
        return {width, metrics.height};
    }
    LabeledLayout layout(const Element& element, ProposedViewSize proposal) const override {
        const Element* label =
            element.env().labelsHidden ? nullptr : element.children.front().get();
        return layoutLabeled(label, controlSize(element), LabelSide::Leading,
                             element.env().inFormRow, proposal);
    }

    void drawMenu(const Element& element, Painter& painter, Rect box) const {
        painter.fillRoundedRect(box, 5, fieldFill);
        painter.strokeRoundedRect(box, 5, fieldBorder);
        auto metrics = controlMetrics(element.env().controlSize);
        if (auto chosen = selectedIndex(element)) {
            Graphics::TextLayout text(paragraph(title(element, *chosen), element.env(),
                                                box.width() - metrics.padding - arrowWidth, 1));
            painter.text(text,
                         {box.minX() + metrics.padding,
                          box.minY() + std::round((box.height() - text.size().height) / 2)},
                         Color::primary.resolved());
        }
        Rect arrows{{box.maxX() - arrowWidth - 3, box.minY() + 3}, {arrowWidth, box.height() - 6}};
        painter.fillRoundedRect(arrows, 4, Color::accentColor.resolved());
        double cx = arrows.minX() + arrows.width() / 2, cy = arrows.minY() + arrows.height() / 2;
        const Graphics::Color white{1, 1, 1, 1};
        painter.line({cx - 3, cy - 2}, {cx, cy - 5}, white, 1.4);
        painter.line({cx, cy - 5}, {cx + 3, cy - 2}, white, 1.4);
        painter.line({cx - 3, cy + 2}, {cx, cy + 5}, white, 1.4);
        painter.line({cx, cy + 5}, {cx + 3, cy + 2}, white, 1.4);
    }
    void drawSegments(const Element& element, Painter& painter, Rect box) const {
        painter.fillRoundedRect(box, 5, fieldFill);
        painter.strokeRoundedRect(box, 5, fieldBorder);
        auto chosen = selectedIndex(element);
        double x = box.minX();
        for (std::size_t i = 0; i < optionCount(element); ++i) {
            std::string text = title(element, i);
            double width = titleSize(element, text).width + 2 * segmentPadding;
            Rect segment{{x, box.minY()}, {width, box.height()}};
            if (chosen == i) {
                painter.fillRoundedRect(segment, 5, Color::accentColor.resolved());
            } else if (i > 0 && chosen != i - 1) {
                painter.line({x, box.minY() + 4}, {x, box.maxY() - 4}, fieldBorder, 1);
            }
            Graphics::TextLayout layout(paragraph(text, element.env()));
            painter.text(layout,
                         {x + segmentPadding,
                          box.minY() + std::round((box.height() - layout.size().height) / 2)},
                         chosen == i ? Graphics::Color{1, 1, 1, 1} : Color::primary.resolved());
            x += width;
        }
    }

    Text m_title;
    Picker::Selection m_selection;
    std::vector<View> m_options;
};

} // namespace

Picker::Picker(Text title, Selection selection, std::vector<View> options)
    : View(std::make_shared<PickerNode>(std::move(title), std::move(selection),
                                        std::move(options))) {}

} // namespace SwiftUI
