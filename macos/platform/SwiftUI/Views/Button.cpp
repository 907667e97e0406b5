// Buttons and links.
#include "Core/CellPainter.h"
#include "Core/Controls.h"
#include "Core/Description.h"
#include "Core/Painter.h"
#include "Core/Resolver.h"
#include "Core/TextSupport.h"

#include <SwiftUI/Controls.h>
#include <algorithm>

namespace SwiftUI {

namespace {

constexpr Graphics::Color bezelFill{1, 1, 1, 1};
constexpr Graphics::Color bezelBorder{0, 0, 0, 0.18};
constexpr double bezelRadius = 5;

class ButtonNode final : public Node, public ButtonControl {
public:
    ButtonNode(View label, std::optional<ButtonRole> role, std::function<void()> action,
               std::optional<std::string> url)
        : m_label(std::move(label)), m_role(role), m_action(std::move(action)),
          m_url(std::move(url)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        auto element = makeElement(scope);
        const Environment& environment = *scope.environment;
        bool prominent = style(environment) == ButtonStyle::Automatic &&
                         environment.keyboardShortcut == KeyboardShortcut::DefaultAction;
        auto inner = modified(labelEnvironment(scope.environment), [&](Environment& e) {
            if (style(environment) == ButtonStyle::Link) {
                e.foreground = Color::accentColor;
            } else if (prominent && !environment.disabled) {
                e.foreground = Color::white;
            } else if (m_role == ButtonRole::Destructive) {
                e.foreground = Color::red;
            }
        });
        resolver.resolve(m_label, scope.child("label").with(inner), element->children);
        out.push_back(std::move(element));
    }

    Size sizeThatFits(const Element& element, ProposedViewSize proposal) const override {
        if (!isBordered(element)) {
            return labelSize(element, proposal);
        }
        auto controls = metrics().controls(element.env().controlSize);
        Size label = labelSize(element, inset(element, proposal));
        return {label.width + 2 * controls.padding,
                std::max(controls.height, label.height + metrics().vertical(4))};
    }
    void placeChildren(Element& element) const override {
        ProposedViewSize proposal =
            isBordered(element) ? inset(element, element.proposal) : element.proposal;
        for (auto& child : element.children) {
            Size size = measure(*child, proposal);
            Point origin{element.frame.minX() + alignedOffset(element.frame.width(), size.width,
                                                              HorizontalAlignment::Center),
                         element.frame.minY() + alignedOffset(element.frame.height(), size.height,
                                                              VerticalAlignment::Center)};
            place(*child, {origin, size}, proposal);
        }
    }
    std::optional<double> firstBaseline(const Element& element,
                                        ProposedViewSize proposal) const override {
        if (element.children.empty()) {
            return std::nullopt;
        }
        const Element& label = *element.children.front();
        ProposedViewSize inner = isBordered(element) ? inset(element, proposal) : proposal;
        auto baseline = baselineOf(label, inner);
        if (!baseline) {
            return std::nullopt;
        }
        Size size = sizeThatFits(element, proposal);
        return *baseline +
               alignedOffset(size.height, measure(label, inner).height, VerticalAlignment::Center);
    }

    void describe(const Element& element, Description& description) const override {
        bool inlineTitle = element.children.size() == 1 && textOf(*element.children.front());
        auto line = description.line(element, m_url ? "Link" : "Button");
        if (inlineTitle) {
            line.quoted(*textOf(*element.children.front()));
        }
        if (m_url) {
            line.value("url", *m_url);
        }
        const Environment& environment = element.env();
        if (isDefaultAction(element)) {
            line.flag("default");
        }
        if (isCancelAction(element)) {
            line.flag("cancel");
        }
        if (m_role == ButtonRole::Destructive) {
            line.flag("destructive");
        }
        if (!m_url && environment.buttonStyle != ButtonStyle::Automatic) {
            line.flag(environment.buttonStyle == ButtonStyle::Link ? "link" : "plain");
        }
        if (environment.controlSize != ControlSize::Regular) {
            line.flag(environment.controlSize == ControlSize::Small ? "small" : "mini");
        }
        if (environment.disabled) {
            line.flag("disabled");
        }
        if (!inlineTitle) {
            description.children(element);
        }
    }
    void draw(const Element& element, Painter& painter) const override {
        painter.dimmed(element.env().disabled, [&] {
            if (isBordered(element)) {
                bool prominent = isDefaultAction(element) && !element.env().disabled;
                painter.fillRoundedRect(element.frame, bezelRadius,
                                        prominent ? Color::accentColor.resolved() : bezelFill);
                if (!prominent) {
                    painter.strokeRoundedRect(element.frame, bezelRadius, bezelBorder);
                }
            }
            painter.drawChildren(element);
        });
    }
    void drawCells(const Element& element, CellPainter& painter) const override {
        const Graphics::CellRect box = CellPainter::cells(element.frame);
        painter.dimmed(element.env().disabled, [&] {
            painter.drawChildren(element);
            if (isBordered(element)) {
                for (int y = box.y; y < box.maxY(); ++y) {
                    painter.text(box.x, y, "[", {});
                    painter.text(box.maxX() - 1, y, "]", {});
                }
                // The default button, white on the accent colour as on screen.
                if (isDefaultAction(element) && !element.env().disabled) {
                    painter.restyle(box, [](Graphics::CellStyle& cell) {
                        cell.foreground = Graphics::CellColor::White;
                        cell.background = Graphics::CellColor::Blue;
                        cell.bold = true;
                    });
                }
            } else if (style(element.env()) == ButtonStyle::Link) {
                painter.restyle(box, [](Graphics::CellStyle& cell) { cell.underline = true; });
            }
        });
        if (painter.isFocused(element)) {
            painter.showFocus(box, true,
                              isBordered(element) ? CellPainter::FocusMarks::InsideBrackets
                                                  : CellPainter::FocusMarks::Around);
        }
    }

    std::vector<std::string> titles(const Element& element) const override {
        auto texts = textsIn(element);
        texts.push_back(joinedText(element));
        return texts;
    }
    void press(const Element& element) const override {
        if (auto dismiss = element.env().dismissPresentation) {
            (*dismiss)();
        }
        if (m_url) {
            if (auto open = element.env().openURL) {
                (*open)(*m_url);
            }
        } else if (m_action) {
            m_action();
        }
    }
    bool isDefaultAction(const Element& element) const override {
        return element.env().keyboardShortcut == KeyboardShortcut::DefaultAction;
    }
    bool isCancelAction(const Element& element) const override {
        return element.env().keyboardShortcut == KeyboardShortcut::CancelAction ||
               m_role == ButtonRole::Cancel;
    }

private:
    ButtonStyle style(const Environment& environment) const {
        return m_url ? ButtonStyle::Link : environment.buttonStyle;
    }
    bool isBordered(const Element& element) const {
        return style(element.env()) == ButtonStyle::Automatic;
    }
    ProposedViewSize inset(const Element& element, ProposedViewSize proposal) const {
        double padding = 2 * metrics().controls(element.env().controlSize).padding;
        return {proposal.width ? std::optional(std::max(0.0, *proposal.width - padding))
                               : std::nullopt,
                proposal.height};
    }
    Size labelSize(const Element& element, ProposedViewSize proposal) const {
        Size size;
        for (const auto& child : element.children) {
            Size childSize = measure(*child, proposal);
            size = {std::max(size.width, childSize.width), std::max(size.height, childSize.height)};
        }
        return size;
    }

    View m_label;
    std::optional<ButtonRole> m_role;
    std::function<void()> m_action;
    std::optional<std::string> m_url;
};

} // namespace

Button::Button(Text title, std::function<void()> action)
    : View(std::make_shared<ButtonNode>(std::move(title), std::nullopt, std::move(action),
                                        std::nullopt)) {}

Button::Button(Text title, ButtonRole role, std::function<void()> action)
    : View(std::make_shared<ButtonNode>(std::move(title), role, std::move(action), std::nullopt)) {}

Button::Button(std::function<void()> action, View label)
    : View(std::make_shared<ButtonNode>(std::move(label), std::nullopt, std::move(action),
                                        std::nullopt)) {}

Link::Link(Text title, std::string destination)
    : View(std::make_shared<ButtonNode>(std::move(title), std::nullopt, nullptr,
                                        std::move(destination))) {}

} // namespace SwiftUI
