#include "KeyHints.h"

#include "Controls.h"

#include <algorithm>

namespace SwiftUI {

namespace {

bool dialogInFront(const Tree& tree) {
    for (auto it = tree.presented.rbegin(); it != tree.presented.rend(); ++it) {
        if (it->root) {
            return it->presentation.kind == Presentation::Kind::Dialog;
        }
    }
    return false;
}

// The keys of the focused control; whether Return is among them.
bool controlKeys(const Element& element, const CellPainter::Focus& focus,
                 std::vector<std::string>& keys) {
    const Control& control = *controlOf(element);
    switch (control.kind()) {
    case Control::Kind::Button:
        keys.emplace_back("Return: press");
        return true;
    case Control::Kind::Toggle:
        keys.emplace_back("Space: switch");
        return true;
    case Control::Kind::Picker:
        if (static_cast<const PickerControl&>(control).isSegmented(element)) {
            keys.emplace_back("←/→: choose");
            return false;
        }
        if (focus.listChoice) {
            keys.insert(keys.end(), {"↑/↓: move", "Return: choose", "Esc: close"});
        } else {
            keys.emplace_back("Return: choices");
        }
        return true;
    case Control::Kind::Disclosure:
        keys.emplace_back(static_cast<const DisclosureControl&>(control).isExpanded(element)
                              ? "Return: close"
                              : "Return: open");
        return true;
    case Control::Kind::TextField:
        if (element.env().onSubmit) {
            keys.emplace_back("Return: enter");
            return true;
        }
        return false;
    }
    return false;
}

} // namespace

AppKit::HostedView::CellHints cellHints(const Tree& tree, const CellLayout& layout,
                                        const CellPainter::Focus& focus) {
    AppKit::HostedView::CellHints hints;
    hints.modal = dialogInFront(tree);
    const auto& controls = layout.controls;
    const auto focused = std::find_if(controls.begin(), controls.end(), [&](const Element* e) {
        return !focus.identity.empty() && e->identity == focus.identity;
    });
    bool returnTaken = false;
    if (focused != controls.end()) {
        hints.toolTip = (*focused)->env().help;
        returnTaken = !(*focused)->env().disabled && controlKeys(**focused, focus, hints.keys);
    }
    if (focus.listChoice) {
        return hints;
    }
    if (!controls.empty()) {
        hints.keys.emplace_back("Tab: next control");
    }
    std::string pressedByReturn, pressedByEscape, titledCancel;
    for (const Element* element : controls) {
        const Control& control = *controlOf(*element);
        if (control.kind() != Control::Kind::Button || element->env().disabled) {
            continue;
        }
        const auto& button = static_cast<const ButtonControl&>(control);
        if (button.isDefaultAction(*element) && pressedByReturn.empty()) {
            pressedByReturn = control.titles(*element).back();
        } else if (button.isCancelAction(*element) && pressedByEscape.empty()) {
            pressedByEscape = control.titles(*element).back();
        } else if (button.isTitledCancel(*element) && titledCancel.empty()) {
            titledCancel = control.titles(*element).back();
        }
    }
    if (pressedByEscape.empty()) {
        pressedByEscape = titledCancel;
    }
    if (!returnTaken && !pressedByReturn.empty()) {
        hints.keys.push_back("Return: " + pressedByReturn);
    }
    if (!pressedByEscape.empty()) {
        hints.keys.push_back("Esc: " + pressedByEscape);
    } else if (!layout.trees.empty() && layout.trees.back().box) {
        // Escape dismisses a sheet without a Cancel button.
        hints.keys.emplace_back("Esc: close");
    }
    return hints;
}

} // namespace SwiftUI
