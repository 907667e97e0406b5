// What the user does to a hosted view: presses, toggles, choices, typing and keys.
#include "Core/Controls.h"
#include "Core/Host.h"

#include <Foundation/Unicode.h>
#include <algorithm>

namespace SwiftUI {

namespace {

using Outcome = HostingController::Outcome;

struct Found {
    Element* element = nullptr;
    const Control* control = nullptr;
};

// Controls of `kind` named `name`, in tree order.
void collect(Element& element, Control::Kind kind, std::string_view name, bool labelled,
             std::vector<Found>& found) {
    labelled = labelled || element.accessibilityLabel == name;
    if (const Control* control = controlOf(element); control && control->kind() == kind) {
        auto titles = control->titles(element);
        if (labelled || std::find(titles.begin(), titles.end(), name) != titles.end()) {
            found.push_back({&element, control});
        }
    }
    for (auto& child : element.children) {
        collect(*child, kind, name, labelled, found);
    }
}

void collectAll(Element& element, Control::Kind kind, std::vector<Found>& found) {
    if (const Control* control = controlOf(element); control && control->kind() == kind) {
        found.push_back({&element, control});
    }
    for (auto& child : element.children) {
        collectAll(*child, kind, found);
    }
}

// Buttons, links and toggles, in tree order.
void collectActionable(Element& element, std::vector<Found>& found) {
    if (const Control* control = controlOf(element);
        control &&
        (control->kind() == Control::Kind::Button || control->kind() == Control::Kind::Toggle)) {
        found.push_back({&element, control});
    }
    for (auto& child : element.children) {
        collectActionable(*child, found);
    }
}

// Finds a control and, unless it is disabled, acts on it while holding the tree that made it.
template <typename Act>
Outcome act(HostingController::Impl& impl, Control::Kind kind, std::string_view name,
            std::size_t occurrence, Act&& action) {
    impl.update();
    auto tree = impl.tree;
    std::vector<Found> found;
    if (Element* front = tree->front()) {
        collect(*front, kind, name, false, found);
    }
    if (occurrence >= found.size()) {
        return Outcome::NotFound;
    }
    Found& target = found[occurrence];
    if (target.element->env().disabled) {
        return Outcome::Disabled;
    }
    Outcome outcome = action(*target.element, *target.control);
    if (outcome == Outcome::Performed) {
        impl.markDirty();
    }
    return outcome;
}

} // namespace

Outcome pressShortcut(HostingController::Impl& impl, bool defaultAction) {
    impl.update();
    auto tree = impl.tree;
    std::vector<Found> buttons;
    collectAll(*tree->front(), Control::Kind::Button, buttons);
    const auto marked = [&](const Found& found) {
        auto& button = static_cast<const ButtonControl&>(*found.control);
        return defaultAction ? button.isDefaultAction(*found.element)
                             : button.isCancelAction(*found.element);
    };
    const auto titledCancel = [](const Found& found) {
        return static_cast<const ButtonControl&>(*found.control).isTitledCancel(*found.element);
    };
    auto found = std::find_if(buttons.begin(), buttons.end(), marked);
    if (found == buttons.end() && !defaultAction) {
        found = std::find_if(buttons.begin(), buttons.end(), titledCancel);
    }
    if (found == buttons.end()) {
        return Outcome::NotFound;
    }
    if (found->element->env().disabled) {
        return Outcome::Disabled;
    }
    static_cast<const ButtonControl&>(*found->control).press(*found->element);
    impl.markDirty();
    return Outcome::Performed;
}

Outcome cancelFront(HostingController::Impl& impl) {
    const Outcome pressed = pressShortcut(impl, false);
    return pressed == Outcome::NotFound ? dismissFront(impl) : pressed;
}

Outcome HostingController::press(std::string_view name, std::size_t occurrence) {
    return act(*m_impl, Control::Kind::Button, name, occurrence,
               [](Element& element, const Control& control) {
                   static_cast<const ButtonControl&>(control).press(element);
                   return Outcome::Performed;
               });
}

Outcome HostingController::toggle(std::string_view name, std::size_t occurrence) {
    return act(*m_impl, Control::Kind::Toggle, name, occurrence,
               [](Element& element, const Control& control) {
                   auto& toggle = static_cast<const ToggleControl&>(control);
                   toggle.set(element, !toggle.isOn(element));
                   return Outcome::Performed;
               });
}

Outcome HostingController::choose(std::string_view picker, std::string_view option) {
    return act(*m_impl, Control::Kind::Picker, picker, 0,
               [option](Element& element, const Control& control) {
                   return static_cast<const PickerControl&>(control).choose(element, option)
                              ? Outcome::Performed
                              : Outcome::NotFound;
               });
}

Outcome HostingController::type(std::string_view field, std::string_view text) {
    auto& impl = *m_impl;
    return act(impl, Control::Kind::TextField, field, 0,
               [&impl, text](Element& element, const Control& control) {
                   // Focus moves to this field, and out of every other field bound to a focus.
                   std::vector<Found> fields;
                   collectAll(*impl.tree->front(), Control::Kind::TextField, fields);
                   for (const Found& other : fields) {
                       if (other.element != &element && other.element->focus &&
                           other.element->focus->get()) {
                           other.element->focus->set(false);
                       }
                   }
                   if (element.focus && !element.focus->get()) {
                       element.focus->set(true);
                   }
                   impl.focusedField = element.identity;
                   auto& textField = static_cast<const TextFieldControl&>(control);
                   if (text.empty()) {
                       textField.write(element, "");
                   }
                   std::string typed;
                   for (const auto& character : Foundation::Unicode::characters(text)) {
                       typed += character;
                       textField.write(element, typed);
                   }
                   return Outcome::Performed;
               });
}

Outcome HostingController::submit(std::string_view field) {
    auto& impl = *m_impl;
    return act(impl, Control::Kind::TextField, field, 0,
               [&impl](Element& element, const Control& control) {
                   impl.focusedField = element.identity;
                   return static_cast<const TextFieldControl&>(control).submit(element)
                              ? Outcome::Performed
                              : Outcome::NotFound;
               });
}

Outcome HostingController::pressReturn() {
    auto& impl = *m_impl;
    impl.update();
    auto tree = impl.tree;
    std::vector<Found> fields;
    collectAll(*tree->front(), Control::Kind::TextField, fields);
    for (const Found& field : fields) {
        bool focused = field.element->focus ? field.element->focus->get()
                                            : field.element->identity == impl.focusedField;
        if (focused && !field.element->env().disabled &&
            static_cast<const TextFieldControl&>(*field.control).submit(*field.element)) {
            impl.markDirty();
            return Outcome::Performed;
        }
    }
    return pressShortcut(impl, true);
}

Outcome HostingController::pressEscape() {
    return pressShortcut(*m_impl, false);
}

Outcome HostingController::setExpanded(std::string_view disclosureGroup, bool expanded) {
    return act(*m_impl, Control::Kind::Disclosure, disclosureGroup, 0,
               [expanded](Element& element, const Control& control) {
                   static_cast<const DisclosureControl&>(control).setExpanded(element, expanded);
                   return Outcome::Performed;
               });
}

std::vector<HostingController::ControlSummary> HostingController::controls() {
    m_impl->update();
    auto tree = m_impl->tree;
    std::vector<Found> found;
    collectActionable(*tree->front(), found);
    std::vector<ControlSummary> summaries;
    for (const Found& control : found) {
        const bool toggle = control.control->kind() == Control::Kind::Toggle;
        summaries.push_back(
            {toggle ? ControlSummary::Kind::Toggle : ControlSummary::Kind::Button,
             control.control->titles(*control.element).back(), !control.element->env().disabled,
             toggle && static_cast<const ToggleControl&>(*control.control).isOn(*control.element)});
    }
    return summaries;
}

std::vector<std::string> HostingController::textFields() {
    m_impl->update();
    auto tree = m_impl->tree;
    std::vector<Found> found;
    collectAll(*tree->front(), Control::Kind::TextField, found);
    std::vector<std::string> names;
    for (const Found& field : found) {
        names.push_back(field.control->titles(*field.element).front());
    }
    return names;
}

Outcome HostingController::activate(std::size_t index) {
    auto& impl = *m_impl;
    impl.update();
    auto tree = impl.tree;
    std::vector<Found> found;
    collectActionable(*tree->front(), found);
    if (index >= found.size()) {
        return Outcome::NotFound;
    }
    const Found& target = found[index];
    if (target.element->env().disabled) {
        return Outcome::Disabled;
    }
    if (target.control->kind() == Control::Kind::Toggle) {
        auto& toggle = static_cast<const ToggleControl&>(*target.control);
        toggle.set(*target.element, !toggle.isOn(*target.element));
    } else {
        static_cast<const ButtonControl&>(*target.control).press(*target.element);
    }
    impl.markDirty();
    return Outcome::Performed;
}

Outcome HostingController::dismiss() {
    return dismissFront(*m_impl);
}

Outcome HostingController::cancelPresentation() {
    m_impl->update();
    const auto& presented = m_impl->tree->presented;
    if (std::none_of(presented.begin(), presented.end(),
                     [](const PresentedRoot& shown) { return shown.root != nullptr; })) {
        return Outcome::NotFound;
    }
    return cancelFront(*m_impl);
}

Outcome dismissFront(HostingController::Impl& impl) {
    impl.update();
    auto tree = impl.tree;
    for (auto it = tree->presented.rbegin(); it != tree->presented.rend(); ++it) {
        if (it->root) {
            it->presentation.isPresented.set(false);
            impl.markDirty();
            return Outcome::Performed;
        }
    }
    return Outcome::NotFound;
}

} // namespace SwiftUI
