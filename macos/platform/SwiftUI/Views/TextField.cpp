#include "Core/CellPainter.h"
#include "Core/Controls.h"
#include "Core/Description.h"
#include "Core/Painter.h"
#include "Core/TextSupport.h"

#include <Foundation/Unicode.h>
#include <SwiftUI/Controls.h>
#include <algorithm>
#include <cmath>

namespace SwiftUI {

namespace {

constexpr double inset = 4;
constexpr double minimumWidth = 40;

class TextFieldNode final : public Node, public TextFieldControl {
public:
    TextFieldNode(std::string placeholder, Binding<std::string> text)
        : m_placeholder(std::move(placeholder)), m_text(std::move(text)) {}

    void resolve(Resolver&, const Scope& scope, ElementList& out) const override {
        auto element = makeElement(scope);
        if (scope.environment->focus) {
            element->focus = *scope.environment->focus;
        }
        out.push_back(std::move(element));
    }

    Size sizeThatFits(const Element& element, ProposedViewSize proposal) const override {
        double height =
            std::ceil(metrics().lineHeight(element.env().resolvedFont())) + metrics().vertical(6);
        if (proposal.width && std::isfinite(*proposal.width)) {
            return {*proposal.width, height};
        }
        double text = std::max(textWidth(element, m_text.get()), textWidth(element, m_placeholder));
        return {
            std::max(metrics().horizontal(minimumWidth), text + 2 * metrics().horizontal(inset)),
            height};
    }
    std::optional<double> firstBaseline(const Element& element, ProposedViewSize) const override {
        return metrics().vertical(3) + metrics().text(plainText("X", element.env())).firstBaseline;
    }

    void describe(const Element& element, Description& description) const override {
        auto line = description.line(element, "TextField");
        line.quotedValue("text", m_text.get());
        line.quotedValue("placeholder", m_placeholder);
        if (element.focus && element.focus->get()) {
            line.flag("focused");
        }
        if (element.env().disabled) {
            line.flag("disabled");
        }
    }
    void draw(const Element& element, Painter& painter) const override {
        const Rect& box = element.frame;
        bool focused = element.focus && element.focus->get();
        painter.dimmed(element.env().disabled, [&] {
            if (element.env().textFieldStyle != TextFieldStyle::Plain) {
                painter.fillRoundedRect(box, 0, Color::textBackground.resolved());
                painter.strokeRoundedRect(box, 0, {0, 0, 0, 0.22});
            }
            if (focused) {
                painter.strokeRoundedRect(box, 3, Color::accentColor.opacity(0.5).resolved(), 2);
            }
            std::string text = m_text.get();
            bool placeholder = text.empty();
            Graphics::TextLayout layout(
                pointParagraph(plainText(placeholder ? m_placeholder : text, element.env(),
                                         std::max(0.0, box.width() - 2 * inset), 1)));
            painter.clipped(box, [&] {
                painter.text(layout, {box.minX() + inset, box.minY() + 3},
                             placeholder ? Color::tertiary.resolved()
                                         : element.env().resolvedForeground().resolved());
            });
        });
    }

    // The text, or the placeholder dimmed, underlined across the field. Focused, the part around
    // the cursor shows, and the cursor is placed.
    void drawCells(const Element& element, CellPainter& painter) const override {
        const Graphics::CellRect box = CellPainter::cells(element.frame);
        const bool focused = painter.isFocused(element);
        const std::string text = m_text.get();
        Graphics::CellStyle field;
        field.underline = element.env().textFieldStyle != TextFieldStyle::Plain;
        field.bold = focused;
        painter.dimmed(element.env().disabled, [&] {
            painter.clipped(element.frame, [&] { drawText(painter, box, text, field, focused); });
        });
        if (focused) {
            painter.showFocus(box, false);
        }
    }
    std::vector<std::string> titles(const Element& element) const override {
        std::vector<std::string> names{m_placeholder};
        if (element.accessibilityLabel) {
            names.push_back(*element.accessibilityLabel);
        }
        return names;
    }
    std::string text(const Element&) const override { return m_text.get(); }
    void write(const Element&, const std::string& text) const override { m_text.set(text); }
    bool submit(const Element& element) const override {
        if (auto action = element.env().onSubmit) {
            (*action)();
            return true;
        }
        return false;
    }

private:
    void drawText(CellPainter& painter, const Graphics::CellRect& box, const std::string& text,
                  const Graphics::CellStyle& field, bool focused) const {
        painter.fill(box, field);
        if (text.empty()) {
            Graphics::CellStyle placeholder = field;
            placeholder.dim = true;
            painter.text(box.x, box.y, m_placeholder, placeholder);
            if (focused) {
                painter.showCursor({box.x, box.y});
            }
            return;
        }
        const auto characters = Foundation::Unicode::characters(text);
        const std::size_t caret = focused ? std::min(painter.focus().caret, characters.size()) : 0;
        // The first character shown leaves the cursor inside the field.
        std::size_t first = 0;
        int before = 0;
        for (std::size_t i = 0; i < caret; ++i) {
            before += Graphics::columnsOf(characters[i]);
        }
        while (first < caret && before >= box.width) {
            before -= Graphics::columnsOf(characters[first++]);
        }
        std::string shown;
        for (std::size_t i = first; i < characters.size(); ++i) {
            shown += characters[i];
        }
        painter.text(box.x, box.y, shown, field);
        if (focused) {
            painter.showCursor({box.x + before, box.y});
        }
    }
    static double textWidth(const Element& element, const std::string& text) {
        return metrics().text(plainText(text, element.env())).size.width;
    }

    std::string m_placeholder;
    Binding<std::string> m_text;
};

} // namespace

TextField::TextField(std::string placeholder, Binding<std::string> text)
    : View(std::make_shared<TextFieldNode>(std::move(placeholder), std::move(text))) {}

} // namespace SwiftUI
