// Modifiers of the environment, identity and attributes of every view.
#include "Core/Modifiers.h"

#include "Core/Resolver.h"

#include <SwiftUI/State.h>
#include <SwiftUI/View.h>

namespace SwiftUI {

namespace {

class EnvironmentNode final : public Node {
public:
    EnvironmentNode(View content, std::function<void(Environment&)> change)
        : m_content(std::move(content)), m_change(std::move(change)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        resolver.resolve(m_content, scope.with(modified(scope.environment, m_change)), out);
    }

private:
    View m_content;
    std::function<void(Environment&)> m_change;
};

class AttributeNode final : public Node {
public:
    AttributeNode(View content, std::function<void(Element&)> apply)
        : m_content(std::move(content)), m_apply(std::move(apply)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        std::size_t first = out.size();
        resolver.resolve(m_content, scope, out);
        for (std::size_t i = first; i < out.size(); ++i) {
            m_apply(*out[i]);
        }
    }

private:
    View m_content;
    std::function<void(Element&)> m_apply;
};

class IdentityNode final : public Node {
public:
    IdentityNode(View content, std::string key)
        : m_content(std::move(content)), m_key(std::move(key)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        resolver.resolve(m_content, scope.child("=" + m_key), out);
    }

private:
    View m_content;
    std::string m_key;
};

View attribute(const View& content, std::function<void(Element&)> apply) {
    return View(std::make_shared<AttributeNode>(content, std::move(apply)));
}

View environment(const View& content, std::function<void(Environment&)> change) {
    return withEnvironment(content, std::move(change));
}

} // namespace

View withEnvironment(const View& content, std::function<void(Environment&)> change) {
    return View(std::make_shared<EnvironmentNode>(content, std::move(change)));
}

View View::font(Font font) const {
    return environment(*this, [font](Environment& e) { e.font = font; });
}

View View::bold(bool active) const {
    if (!active) {
        return *this;
    }
    return fontWeight(Font::Weight::Bold);
}

View View::fontWeight(Font::Weight weight) const {
    return environment(*this, [weight](Environment& e) { e.fontWeight = weight; });
}

View View::foregroundStyle(Color style) const {
    return environment(*this, [style](Environment& e) { e.foreground = style; });
}

View View::lineLimit(std::optional<int> lines) const {
    return environment(*this, [lines](Environment& e) { e.lineLimit = lines; });
}

View View::multilineTextAlignment(TextAlignment alignment) const {
    return environment(*this,
                       [alignment](Environment& e) { e.multilineTextAlignment = alignment; });
}

View View::textCase(std::optional<TextCase> textCase) const {
    return environment(*this, [textCase](Environment& e) { e.textCase = textCase; });
}

View View::textSelection(TextSelectability selectability) const {
    return environment(*this, [selectability](Environment& e) {
        e.textSelectable = selectability == TextSelectability::Enabled;
    });
}

View View::disabled(bool disabled) const {
    return environment(*this, [disabled](Environment& e) { e.disabled = e.disabled || disabled; });
}

View View::controlSize(ControlSize size) const {
    return environment(*this, [size](Environment& e) { e.controlSize = size; });
}

View View::buttonStyle(ButtonStyle style) const {
    return environment(*this, [style](Environment& e) { e.buttonStyle = style; });
}

View View::toggleStyle(ToggleStyle style) const {
    return environment(*this, [style](Environment& e) { e.toggleStyle = style; });
}

View View::pickerStyle(PickerStyle style) const {
    return environment(*this, [style](Environment& e) { e.pickerStyle = style; });
}

View View::textFieldStyle(TextFieldStyle style) const {
    return environment(*this, [style](Environment& e) { e.textFieldStyle = style; });
}

View View::labelsHidden() const {
    return environment(*this, [](Environment& e) { e.labelsHidden = true; });
}

View View::formStyle(FormStyle style) const {
    return environment(*this, [style](Environment& e) { e.formStyle = style; });
}

View View::keyboardShortcut(KeyboardShortcut shortcut) const {
    return environment(*this, [shortcut](Environment& e) { e.keyboardShortcut = shortcut; });
}

View View::onSubmit(std::function<void()> action) const {
    auto shared = std::make_shared<const std::function<void()>>(std::move(action));
    return environment(*this, [shared](Environment& e) { e.onSubmit = shared; });
}

View View::focused(const FocusState& focus) const {
    return focused(focus.binding());
}

View View::focused(Binding<bool> focus) const {
    auto shared = std::make_shared<const Binding<bool>>(std::move(focus));
    return environment(*this, [shared](Environment& e) { e.focus = shared; });
}

View View::id(std::string key) const {
    return View(std::make_shared<IdentityNode>(*this, std::move(key)));
}

View View::tagValue(std::any value) const {
    return attribute(*this, [value = std::move(value)](Element& e) { e.tag = value; });
}

View View::accessibilityLabel(std::string label) const {
    return attribute(*this,
                     [label = std::move(label)](Element& e) { e.accessibilityLabel = label; });
}

View View::accessibilityAddTraits(AccessibilityTraits traits) const {
    return attribute(*this, [traits](Element& e) {
        e.selected = e.selected || traits == AccessibilityTraits::IsSelected;
    });
}

View View::help(std::string text) const {
    return environment(*this, [text = std::move(text)](Environment& e) { e.help = text; });
}

View View::contentShape(const Shape&) const {
    // Hit areas matter only to pointer events, which this platform does not deliver.
    return *this;
}

View If(bool condition, View then) {
    return condition ? then : View();
}

View If(bool condition, View then, View otherwise) {
    return condition ? then.id("then") : otherwise.id("else");
}

} // namespace SwiftUI
