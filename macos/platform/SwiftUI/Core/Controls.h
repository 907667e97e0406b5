// What the host can do with each kind of control, and what it reads of them.
#pragma once

#include "Element.h"
#include "Metrics.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace SwiftUI {

class Control {
public:
    enum class Kind { Button, Toggle, Picker, TextField, Disclosure };

    virtual ~Control() = default;
    virtual Kind kind() const = 0;
    // The names a test or the user finds the control by: its title and label texts.
    virtual std::vector<std::string> titles(const Element& element) const = 0;
};

class ButtonControl : public Control {
public:
    Kind kind() const override { return Kind::Button; }
    virtual void press(const Element& element) const = 0;
    virtual bool isDefaultAction(const Element& element) const = 0;
    virtual bool isCancelAction(const Element& element) const = 0;
    // Whether the button is titled "Cancel": Escape presses it when no button is marked to cancel.
    bool isTitledCancel(const Element& element) const {
        const auto names = titles(element);
        return std::find(names.begin(), names.end(), "Cancel") != names.end();
    }
};

class ToggleControl : public Control {
public:
    Kind kind() const override { return Kind::Toggle; }
    virtual bool isOn(const Element& element) const = 0;
    virtual void set(const Element& element, bool on) const = 0;
};

class PickerControl : public Control {
public:
    Kind kind() const override { return Kind::Picker; }
    // Chooses the option titled `title`; false when there is none.
    virtual bool choose(const Element& element, std::string_view title) const = 0;
    // The options' titles, in order, and the chosen one's place among them.
    virtual std::vector<std::string> options(const Element& element) const = 0;
    virtual std::optional<std::size_t> selection(const Element& element) const = 0;
    // Segmented: the options side by side; otherwise a pop-up menu.
    virtual bool isSegmented(const Element& element) const = 0;
};

class TextFieldControl : public Control {
public:
    Kind kind() const override { return Kind::TextField; }
    virtual std::string text(const Element& element) const = 0;
    virtual void write(const Element& element, const std::string& text) const = 0;
    // Return in the field: its submit action; false when it has none.
    virtual bool submit(const Element& element) const = 0;
};

class DisclosureControl : public Control {
public:
    Kind kind() const override { return Kind::Disclosure; }
    virtual bool isExpanded(const Element& element) const = 0;
    virtual void setExpanded(const Element& element, bool expanded) const = 0;
};

const Control* controlOf(const Element& element);

// The environment for a control's label: the control size's font unless one was set, and no
// keyboard shortcut, focus or submit action passing further down.
std::shared_ptr<const Environment> labelEnvironment(const std::shared_ptr<const Environment>& e);

} // namespace SwiftUI
