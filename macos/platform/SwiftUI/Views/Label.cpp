#include "Core/Controls.h"
#include "Core/Description.h"
#include "Core/ImageSupport.h"
#include "Core/Painter.h"
#include "Core/Resolver.h"
#include "Core/StackLayout.h"
#include "Core/TextSupport.h"

#include <SwiftUI/Controls.h>

namespace SwiftUI {

namespace {

constexpr StackSpec labelStack{
    .axis = Axis::Horizontal, .spacing = 6, .vertical = VerticalAlignment::FirstTextBaseline};

// The children are the icon, then the title.
class LabelNode final : public StackedNode {
public:
    LabelNode(Text title, Image icon)
        : StackedNode(labelStack), m_title(std::move(title)), m_icon(std::move(icon)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        auto element = makeElement(scope);
        resolver.resolve(m_icon, scope.child("icon"), element->children);
        resolver.resolve(m_title, scope.child("title"), element->children);
        out.push_back(std::move(element));
    }
    void describe(const Element& element, Description& description) const override {
        auto line = description.line(element, "Label");
        const Element& title = *element.children.back();
        line.quoted(textOf(title).value_or(""));
        if (auto source = imageSourceOf(m_icon)) {
            line.value(source->symbol ? "symbol" : "image", source->name);
        }
        describeTextStyle(title, line);
    }

private:
    Text m_title;
    Image m_icon;
};

} // namespace

Label::Label(Text title, Image icon)
    : View(std::make_shared<LabelNode>(std::move(title), std::move(icon))) {}

} // namespace SwiftUI
