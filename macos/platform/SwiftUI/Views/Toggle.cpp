#include "Core/CellPainter.h"
#include "Core/Controls.h"
#include "Core/Description.h"
#include "Core/LabeledControl.h"
#include "Core/Painter.h"
#include "Core/Resolver.h"
#include "Core/TextSupport.h"

#include <SwiftUI/Controls.h>

namespace SwiftUI {

namespace {

constexpr Graphics::Color offFill{1, 1, 1, 1};
constexpr Graphics::Color offBorder{0, 0, 0, 0.25};
constexpr Graphics::Color offTrack{0, 0, 0, 0.09};

class ToggleNode final : public LabeledNode, public ToggleControl {
public:
    ToggleNode(Binding<bool> isOn, View label)
        : m_isOn(std::move(isOn)), m_label(std::move(label)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        auto element = makeElement(scope);
        resolver.resolve(m_label, scope.child("label").with(labelEnvironment(scope.environment)),
                         element->children);
        out.push_back(std::move(element));
    }

    void describe(const Element& element, Description& description) const override {
        bool inlineTitle = element.children.size() == 1 && textOf(*element.children.front());
        auto line = description.line(element, "Toggle");
        if (inlineTitle) {
            line.quoted(*textOf(*element.children.front()));
            describeTextStyle(*element.children.front(), line);
        }
        line.flag(m_isOn.get() ? "on" : "off");
        line.flag(isSwitch(element) ? "switch" : "checkbox");
        if (element.env().disabled) {
            line.flag("disabled");
        }
        if (!inlineTitle) {
            description.children(element);
        }
    }
    void draw(const Element& element, Painter& painter) const override {
        LabeledLayout l = layout(element, element.proposal);
        Rect control = controlFrame(element, l);
        bool on = m_isOn.get();
        const Graphics::Color accent = Color::accentColor.resolved();
        painter.dimmed(element.env().disabled, [&] {
            if (isSwitch(element)) {
                painter.fillRoundedRect(control, control.height() / 2, on ? accent : offTrack);
                double knob = control.height() - 2;
                double x = on ? control.maxX() - knob - 1 : control.minX() + 1;
                painter.fillEllipse({{x, control.minY() + 1}, {knob, knob}}, offFill);
                painter.strokeRoundedRect({{x, control.minY() + 1}, {knob, knob}}, knob / 2,
                                          {0, 0, 0, 0.12});
            } else {
                painter.fillRoundedRect(control, 3, on ? accent : offFill);
                if (on) {
                    double s = control.width();
                    painter.line({control.minX() + s * 0.25, control.minY() + s * 0.52},
                                 {control.minX() + s * 0.43, control.minY() + s * 0.7},
                                 {1, 1, 1, 1}, 1.8);
                    painter.line({control.minX() + s * 0.43, control.minY() + s * 0.7},
                                 {control.minX() + s * 0.76, control.minY() + s * 0.3},
                                 {1, 1, 1, 1}, 1.8);
                } else {
                    painter.strokeRoundedRect(control, 3, offBorder);
                }
            }
            painter.drawChildren(element);
        });
    }
    void drawCells(const Element& element, CellPainter& painter) const override {
        const Graphics::CellRect control =
            CellPainter::cells(controlFrame(element, layout(element, element.proposal)));
        painter.dimmed(element.env().disabled, [&] {
            painter.text(control.x, control.y, m_isOn.get() ? "[x]" : "[ ]", {});
            painter.drawChildren(element);
        });
        if (painter.isFocused(element)) {
            painter.showFocus(CellPainter::cells(element.frame));
        }
    }

    std::vector<std::string> titles(const Element& element) const override {
        auto texts = textsIn(element);
        texts.push_back(joinedText(element));
        return texts;
    }
    bool isOn(const Element&) const override { return m_isOn.get(); }
    void set(const Element&, bool on) const override { m_isOn.set(on); }

private:
    bool isSwitch(const Element& element) const {
        const Environment& environment = element.env();
        return environment.toggleStyle == ToggleStyle::Switch ||
               (environment.toggleStyle == ToggleStyle::Automatic && environment.inFormRow);
    }
    LabeledLayout layout(const Element& element, ProposedViewSize proposal) const override {
        auto controls = metrics().controls(element.env().controlSize);
        Size control = isSwitch(element) ? controls.toggleSwitch : controls.checkbox;
        const Element* label = element.env().labelsHidden || element.children.empty()
                                   ? nullptr
                                   : element.children.front().get();
        return layoutLabeled(label, control,
                             isSwitch(element) ? LabelSide::Leading : LabelSide::Trailing,
                             element.env().inFormRow, proposal);
    }

    Binding<bool> m_isOn;
    View m_label;
};

} // namespace

Toggle::Toggle(Text title, Binding<bool> isOn)
    : View(std::make_shared<ToggleNode>(std::move(isOn), std::move(title))) {}

Toggle::Toggle(Binding<bool> isOn, View label)
    : View(std::make_shared<ToggleNode>(std::move(isOn), std::move(label))) {}

} // namespace SwiftUI
