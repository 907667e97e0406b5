// Views: values that describe a piece of user interface.
//
// A `View` is an immutable value; modifiers return a new view wrapping the old
// one, so a window's content reads top-down like the declaration it is:
//
//     VStack({.alignment = HorizontalAlignment::Leading, .spacing = 16}, {
//         Text("Set Up Kestrelhaven").font(Font::title2).bold(),
//         Text(model->intro()).foregroundStyle(Color::secondary),
//         If(model->busy->has_value(), [&] { return busyRow(); }),
//         Button("Done", [this] { close(); }).keyboardShortcut(KeyboardShortcut::DefaultAction),
//     }).padding(20).frame({.width = 580}).disabled(model->busy->has_value());
//
// A struct with `View body() const` is a view too (see State.h for its state).
// Children keep their place in a container even when absent (`EmptyView`, `If`),
// so a view's identity, and the state kept for it, does not shift when a sibling
// before it comes and goes; absent children take no room and no spacing.
//
// Environment modifiers (font, colours, disabled, control size, styles, line
// limits, text case and alignment, keyboard shortcuts, submit actions, tool
// tips) apply to every view inside. `disabled(true)` cannot be undone further down.
#pragma once

#include <SwiftUI/Binding.h>
#include <SwiftUI/Color.h>
#include <SwiftUI/Font.h>
#include <SwiftUI/Geometry.h>
#include <SwiftUI/Node.h>
#include <any>
#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace SwiftUI {

class View;
class Text;
class Shape;
class FocusState;

enum class ControlSize { Mini, Small, Regular, Large };
enum class TextAlignment { Leading, Center, Trailing };
enum class TextCase { Uppercase, Lowercase };
enum class TextSelectability { Disabled, Enabled };
enum class ButtonStyle { Automatic, Link, Plain };
enum class ToggleStyle { Automatic, Checkbox, Switch };
enum class PickerStyle { Automatic, Menu, Segmented };
enum class TextFieldStyle { Automatic, RoundedBorder, Plain };
enum class FormStyle { Automatic, Grouped };
// Return presses the default action, Escape the cancel action.
enum class KeyboardShortcut { DefaultAction, CancelAction };
enum class AccessibilityTraits { IsSelected };

// A frame: fixed sizes, or bounds on the size the child would take; unset fields follow the child.
struct FrameOptions {
    std::optional<double> width{};
    std::optional<double> height{};
    std::optional<double> minWidth{};
    std::optional<double> maxWidth{};
    std::optional<double> minHeight{};
    std::optional<double> maxHeight{};
    Alignment alignment = Alignment::center;
};

template <typename V>
concept CustomView = !std::derived_from<std::remove_cvref_t<V>, View> &&
                     std::copy_constructible<V> && requires(const V& view) {
    { view.body() } -> std::convertible_to<View>;
};

class View {
public:
    // Nothing: takes no room (the platform's EmptyView).
    View() = default;
    explicit View(std::shared_ptr<const Node> node) : m_node(std::move(node)) {}
    template <CustomView V> View(V view);

    // The node, or none for an empty view.
    const std::shared_ptr<const Node>& node() const { return m_node; }

    // Layout.
    View padding(double amount = 16) const;
    View padding(Edges edges, double amount = 16) const;
    View padding(EdgeInsets insets) const;
    View frame(FrameOptions options) const;
    // The ideal size in both dimensions, or in those given.
    View fixedSize() const { return fixedSize(true, true); }
    View fixedSize(bool horizontal, bool vertical) const;
    // Views drawn behind or over this one, proposed exactly its size.
    View background(View content) const;
    View background(Color color) const;
    View background(Color style, const Shape& shape) const;
    View overlay(View content) const;

    // Environment.
    View font(Font font) const;
    View bold(bool active = true) const;
    View fontWeight(Font::Weight weight) const;
    View foregroundStyle(Color style) const;
    View foregroundColor(Color color) const { return foregroundStyle(color); }
    View lineLimit(std::optional<int> lines) const;
    View multilineTextAlignment(TextAlignment alignment) const;
    View textCase(std::optional<TextCase> textCase) const;
    View textSelection(TextSelectability selectability) const;
    View disabled(bool disabled) const;
    View controlSize(ControlSize size) const;
    View buttonStyle(ButtonStyle style) const;
    View toggleStyle(ToggleStyle style) const;
    View pickerStyle(PickerStyle style) const;
    View textFieldStyle(TextFieldStyle style) const;
    View labelsHidden() const;
    View formStyle(FormStyle style) const;
    View keyboardShortcut(KeyboardShortcut shortcut) const;
    // Runs `action` when Return is pressed in a text field inside.
    View onSubmit(std::function<void()> action) const;

    // Identity and accessibility.
    View id(std::string key) const;
    template <typename T> View tag(T value) const;
    View tag(const char* value) const { return tag(std::string(value)); }
    View accessibilityLabel(std::string label) const;
    View accessibilityAddTraits(AccessibilityTraits traits) const;
    // The tool tip of the controls inside.
    View help(std::string text) const;
    View contentShape(const Shape& shape) const;
    View focused(const FocusState& focus) const;
    View focused(Binding<bool> focus) const;

    // Life cycle.
    // Runs `action` each time the view comes on screen, after the redraw that shows it.
    View onAppear(std::function<void()> action) const;
    // Runs `action` with the new value when `value` differs from the last redraw's; not at first.
    template <std::equality_comparable T>
    View onChange(T value, std::type_identity_t<std::function<void(const T&)>> action) const;

    // Presentations. A sheet shows `content` while `isPresented` is true; dismissing it sets false.
    View sheet(Binding<bool> isPresented, std::function<View()> content) const;
    // A dialog with the buttons of `actions` and a Cancel button, shown while `isPresented` is
    // true; any of its buttons dismisses it (sets false) before running its action.
    View confirmationDialog(const Text& title, Binding<bool> isPresented,
                            std::function<View()> actions,
                            std::function<View()> message = {}) const;
    // The same, shown only while `presenting` also holds a value, which the contents receive.
    template <typename T>
    View confirmationDialog(const Text& title, Binding<bool> isPresented,
                            std::optional<T> presenting,
                            std::type_identity_t<std::function<View(const T&)>> actions,
                            std::type_identity_t<std::function<View(const T&)>> message) const;

private:
    View tagValue(std::any value) const;
    View onChangeValue(std::any value, std::function<bool(const std::any&, const std::any&)> equal,
                       std::function<void(const std::any&)> action) const;

    std::shared_ptr<const Node> m_node;
};

// Runs a custom view's body with its state linked, and resolves the result.
void resolveCustomView(Resolver& resolver, const Scope& scope, ElementList& out,
                       std::shared_ptr<const void> instance, const void* address, std::size_t size,
                       const char* typeName, const std::function<View()>& body);

template <typename V> class CustomViewNode final : public Node {
public:
    explicit CustomViewNode(V view) : m_view(std::move(view)) {}
    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        // Each resolution runs a copy, whose state members are linked to the kept storage.
        auto instance = std::make_shared<V>(m_view);
        resolveCustomView(resolver, scope, out, instance, instance.get(), sizeof(V),
                          typeid(V).name(), [&instance] { return View(instance->body()); });
    }

private:
    V m_view;
};

template <CustomView V>
View::View(V view) : m_node(std::make_shared<CustomViewNode<V>>(std::move(view))) {}

template <typename T> View View::tag(T value) const {
    return tagValue(std::any(std::move(value)));
}

template <std::equality_comparable T>
View View::onChange(T value, std::type_identity_t<std::function<void(const T&)>> action) const {
    return onChangeValue(
        std::any(std::move(value)),
        [](const std::any& a, const std::any& b) {
            return std::any_cast<const T&>(a) == std::any_cast<const T&>(b);
        },
        [action = std::move(action)](const std::any& v) { action(std::any_cast<const T&>(v)); });
}

template <typename T>
View View::confirmationDialog(const Text& title, Binding<bool> isPresented,
                              std::optional<T> presenting,
                              std::type_identity_t<std::function<View(const T&)>> actions,
                              std::type_identity_t<std::function<View(const T&)>> message) const {
    if (!presenting) {
        return confirmationDialog(title, Binding<bool>::constant(false), [] { return View(); });
    }
    auto data = std::make_shared<const T>(std::move(*presenting));
    return confirmationDialog(
        title, std::move(isPresented), [data, actions] { return actions(*data); },
        message ? std::function<View()>([data, message] { return message(*data); }) : nullptr);
}

// `then` where `condition` holds, else nothing; the place stays either way.
View If(bool condition, View then);
View If(bool condition, View then, View otherwise);
// The same, building the view only when it is shown.
template <typename Make>
requires std::invocable<Make> View If(bool condition, Make&& make) {
    return condition ? View(std::forward<Make>(make)()) : View();
}

class EmptyView : public View {
public:
    EmptyView() = default;
};

} // namespace SwiftUI
