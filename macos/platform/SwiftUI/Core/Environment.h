// The values that pass down the view tree to every view inside a modifier.
#pragma once

#include <SwiftUI/View.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace SwiftUI {

struct Environment {
    // Unset: the body font.
    std::optional<Font> font;
    std::optional<Font::Weight> fontWeight;
    // Unset: the primary colour.
    std::optional<Color> foreground;
    bool disabled = false;
    ControlSize controlSize = ControlSize::Regular;
    TextAlignment multilineTextAlignment = TextAlignment::Leading;
    std::optional<int> lineLimit;
    std::optional<TextCase> textCase;
    bool textSelectable = false;
    ButtonStyle buttonStyle = ButtonStyle::Automatic;
    ToggleStyle toggleStyle = ToggleStyle::Automatic;
    PickerStyle pickerStyle = PickerStyle::Automatic;
    TextFieldStyle textFieldStyle = TextFieldStyle::Automatic;
    bool labelsHidden = false;
    FormStyle formStyle = FormStyle::Automatic;
    std::optional<KeyboardShortcut> keyboardShortcut;
    // The axis of the stack a view sits in, for spacers and dividers.
    std::optional<Axis> stackAxis;
    // Set for the rows of a form: controls lay their label out leading and themselves trailing.
    bool inFormRow = false;
    std::shared_ptr<const std::function<void()>> onSubmit;
    // The focus state of the next text field inside.
    std::shared_ptr<const Binding<bool>> focus;
    // Set for the buttons of a dialog: pressing one dismisses it first.
    std::shared_ptr<const std::function<void()>> dismissPresentation;
    std::shared_ptr<const std::function<void(const std::string&)>> openURL;
    // The tool tip of the controls inside.
    std::optional<std::string> help;

    Font resolvedFont() const;
    Color resolvedForeground() const { return foreground.value_or(Color::primary); }
};

// The environment with `change` applied.
std::shared_ptr<const Environment> modified(const std::shared_ptr<const Environment>& environment,
                                            const std::function<void(Environment&)>& change);

} // namespace SwiftUI
