#include "Core/CellPainter.h"
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
        return l.control.minY() + metrics().text(plainText("X", element.env())).firstBaseline +
               metrics().vertical(3);
    }

    void describe(const Element& element, Description& description) const override {
        auto line = description.line(element, "Picker");
        line.quoted(joinedText(*element.children.front()));
        line.flag(isSegmented(element) ? "segmented" : "menu");
        auto chosen = selection(element);
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
        const LabeledLayout l = layout(element, element.proposal);
        drawLabelAndControl(element, painter, l.label.has_value(), controlFrame(element, l));
    }
    void drawCells(const Element& element, CellPainter& painter) const override {
        const LabeledLayout l = layout(element, element.proposal);
        const Graphics::CellRect control = CellPainter::cells(controlFrame(element, l));
        const bool focused = painter.isFocused(element);
        drawLabelAndControl(element, painter, l.label.has_value(), control);
        if (focused) {
            // The chosen segment is already inverse; a segmented control shows focus underlined.
            const Graphics::CellRect whole = CellPainter::cells(element.frame);
            painter.showFocus(whole, !isSegmented(element));
            if (isSegmented(element)) {
                painter.restyle(whole, [](Graphics::CellStyle& cell) { cell.underline = true; });
            }
        }
        if (focused && painter.focus().listChoice) {
            drawChoices(element, painter, control, *painter.focus().listChoice);
        }
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
    std::vector<std::string> options(const Element& element) const override {
        std::vector<std::string> titles;
        for (std::size_t i = 0; i < optionCount(element); ++i) {
            titles.push_back(title(element, i));
        }
        return titles;
    }
    std::optional<std::size_t> selection(const Element& element) const override {
        for (std::size_t i = 0; i < optionCount(element); ++i) {
            if (m_selection.isSelected(element.children[i + 1]->tag)) {
                return i;
            }
        }
        return std::nullopt;
    }
    bool isSegmented(const Element& element) const override {
        return element.env().pickerStyle == PickerStyle::Segmented;
    }

private:
    static std::size_t optionCount(const Element& element) { return element.children.size() - 1; }
    static std::string title(const Element& element, std::size_t option) {
        return joinedText(*element.children[option + 1]);
    }
    static Size titleSize(const Element& element, const std::string& text) {
        return metrics().text(plainText(text, element.env())).size;
    }

    // Either painter: the label, when it shows, and the control in `control`, dimmed when
    // disabled.
    template <typename AnyPainter, typename Box>
    void drawLabelAndControl(const Element& element, AnyPainter& painter, bool labelled,
                             const Box& control) const {
        painter.dimmed(element.env().disabled, [&] {
            if (labelled) {
                painter.draw(*element.children.front());
            }
            isSegmented(element) ? drawSegments(element, painter, control)
                                 : drawMenu(element, painter, control);
        });
    }

    Size controlSize(const Element& element) const {
        auto controls = metrics().controls(element.env().controlSize);
        double width = 0;
        for (std::size_t i = 0; i < optionCount(element); ++i) {
            double optionWidth = titleSize(element, title(element, i)).width;
            width = isSegmented(element)
                        ? width + optionWidth + 2 * metrics().horizontal(segmentPadding)
                        : std::max(width, optionWidth);
        }
        if (!isSegmented(element)) {
            width += controls.padding + controls.menuArrow;
        }
        return {width, controls.height};
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
        auto controls = metrics().controls(element.env().controlSize);
        if (auto chosen = selection(element)) {
            Graphics::TextLayout text(
                pointParagraph(plainText(title(element, *chosen), element.env(),
                                         box.width() - controls.padding - arrowWidth, 1)));
            painter.text(text,
                         {box.minX() + controls.padding,
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
        auto chosen = selection(element);
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
            Graphics::TextLayout layout(pointParagraph(plainText(text, element.env())));
            painter.text(layout,
                         {x + segmentPadding,
                          box.minY() + std::round((box.height() - layout.size().height) / 2)},
                         chosen == i ? Graphics::Color{1, 1, 1, 1} : Color::primary.resolved());
            x += width;
        }
    }

    // `[ Title ▾ ]`, the title cut to fit.
    void drawMenu(const Element& element, CellPainter& painter,
                  const Graphics::CellRect& box) const {
        painter.text(box.x, box.y, "[", {});
        painter.text(box.maxX() - 3, box.y, "▾ ]", {});
        if (auto chosen = selection(element)) {
            const int room = std::max(1, box.width - 6);
            const StyledText value = plainText(title(element, *chosen), element.env(), room, 1);
            painter.paragraph(value, {{double(box.x + 2), double(box.y)}, {double(room), 1}});
        }
    }
    // The options side by side, the chosen one inverse.
    void drawSegments(const Element& element, CellPainter& painter,
                      const Graphics::CellRect& box) const {
        const auto chosen = selection(element);
        const int padding = int(metrics().horizontal(segmentPadding));
        int x = box.x;
        for (std::size_t i = 0; i < optionCount(element); ++i) {
            const std::string text = title(element, i);
            const int width = int(titleSize(element, text).width) + 2 * padding;
            Graphics::CellStyle style;
            style.inverse = chosen == i;
            style.bold = chosen == i;
            painter.fill({x, box.y, width, 1}, style);
            painter.text(x + padding, box.y, text, style);
            x += width;
        }
    }
    // The open list of choices, apart for the screen to place, `marked` highlighted and the
    // chosen one ticked.
    void drawChoices(const Element& element, CellPainter& painter,
                     const Graphics::CellRect& control, std::size_t marked) const {
        const auto chosen = selection(element);
        int columns = 0;
        for (std::size_t i = 0; i < optionCount(element); ++i) {
            columns = std::max(columns, int(titleSize(element, title(element, i)).width));
        }
        const int width = std::max(1, std::min(columns + 4, painter.canvas().width() - 2));
        Graphics::CellCanvas rows(width, int(optionCount(element)));
        CellPainter list(rows, {}, painter.styled());
        for (std::size_t i = 0; i < optionCount(element); ++i) {
            const int row = int(i);
            Graphics::CellStyle style;
            style.inverse = i == marked;
            list.fill({0, row, width, 1}, style);
            // Where inverse does not show, the marked choice is marked as the menu marks its row.
            list.text(0, row, i == marked && !list.styled() ? "›" : " ", style);
            list.text(1, row, chosen == i ? "✓" : " ", style);
            const int room = std::max(1, width - 4);
            list.paragraph(plainText(title(element, i), element.env(), room, 1),
                           {{3, double(row)}, {double(room), 1}}, style);
        }
        painter.showPopUp({std::move(rows), control, int(marked)});
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
