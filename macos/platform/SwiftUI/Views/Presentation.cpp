// Sheets, confirmation dialogs, and the roots of the trees a host renders.
#include "Core/Description.h"
#include "Core/Modifiers.h"
#include "Core/Roots.h"
#include "Core/StackLayout.h"

#include <SwiftUI/Controls.h>
#include <SwiftUI/Stacks.h>
#include <SwiftUI/Text.h>

namespace SwiftUI {

namespace {

constexpr double dialogWidth = 280;

class PresentingNode final : public Node {
public:
    PresentingNode(View content, Presentation presentation)
        : m_content(std::move(content)), m_presentation(std::move(presentation)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        resolver.resolve(m_content, scope, out);
        if (m_presentation.isPresented.get()) {
            Presentation presentation = m_presentation;
            presentation.identity =
                scope.identity +
                (presentation.kind == Presentation::Kind::Sheet ? "|sheet" : "|dialog");
            presentation.environment = scope.environment;
            resolver.present(std::move(presentation));
        }
    }

private:
    View m_content;
    Presentation m_presentation;
};

// A column of views, described as `kind`, or with no line of its own when that is null.
class ColumnNode final : public StackedNode {
public:
    ColumnNode(std::vector<View> content, const char* kind, double spacing)
        : StackedNode({.axis = Axis::Vertical, .spacing = spacing}), m_content(std::move(content)),
          m_kind(kind) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        auto element = makeElement(scope);
        element->children = resolver.resolveAll(m_content, scope);
        out.push_back(std::move(element));
    }
    void describe(const Element& element, Description& description) const override {
        if (!m_kind) {
            description.childrenInPlace(element);
            return;
        }
        description.line(element, m_kind);
        description.children(element);
    }

private:
    std::vector<View> m_content;
    const char* m_kind;
};

} // namespace

View View::sheet(Binding<bool> isPresented, std::function<View()> content) const {
    Presentation presentation;
    presentation.kind = Presentation::Kind::Sheet;
    presentation.isPresented = std::move(isPresented);
    presentation.content = std::move(content);
    return View(std::make_shared<PresentingNode>(*this, std::move(presentation)));
}

View View::confirmationDialog(const Text& title, Binding<bool> isPresented,
                              std::function<View()> actions, std::function<View()> message) const {
    Presentation presentation;
    presentation.kind = Presentation::Kind::Dialog;
    presentation.isPresented = std::move(isPresented);
    presentation.content = std::move(actions);
    presentation.title = title.node();
    presentation.message = std::move(message);
    return View(std::make_shared<PresentingNode>(*this, std::move(presentation)));
}

View rootView(View content) {
    return View(std::make_shared<ColumnNode>(std::vector<View>{std::move(content)}, nullptr, 8));
}

View presentedView(const Presentation& presentation) {
    if (presentation.kind == Presentation::Kind::Sheet) {
        return rootView(presentation.content ? presentation.content() : View());
    }
    auto dismiss = std::make_shared<const std::function<void()>>(
        [isPresented = presentation.isPresented] { isPresented.set(false); });
    View buttons = Group({presentation.content ? presentation.content() : View(),
                          Button("Cancel", ButtonRole::Cancel, [] {})});
    View dialog(std::make_shared<ColumnNode>(
        std::vector<View>{
            View(presentation.title).bold().multilineTextAlignment(TextAlignment::Center),
            presentation.message ? presentation.message()
                                       .font(Font::callout)
                                       .multilineTextAlignment(TextAlignment::Center)
                                       .fixedSize(false, true)
                                 : View(),
            buttons},
        "Dialog", 12));
    return withEnvironment(dialog.padding(20).frame({.width = dialogWidth}),
                           [dismiss](Environment& e) { e.dismissPresentation = dismiss; });
}

} // namespace SwiftUI
