// Controls: buttons, links, toggles, pickers, text fields, progress indicators,
// labels and disclosure groups.
//
// Controls read their values through bindings each time they are drawn and
// write through them when the user acts. A disabled control (see
// `View::disabled`) ignores the user and its keyboard shortcut, and is drawn
// faded. Titles given as string literals follow the same Markdown rule as Text.
#pragma once

#include <SwiftUI/Image.h>
#include <SwiftUI/Text.h>
#include <SwiftUI/View.h>
#include <any>
#include <functional>
#include <string>
#include <vector>

namespace SwiftUI {

enum class ButtonRole { Destructive, Cancel };

class Button : public View {
public:
    Button(Text title, std::function<void()> action);
    Button(Text title, ButtonRole role, std::function<void()> action);
    Button(std::function<void()> action, View label);
};

// A link-styled button that opens `destination` in the browser.
class Link : public View {
public:
    Link(Text title, std::string destination);
};

// A checkbox, or in a form a switch with its label leading.
class Toggle : public View {
public:
    Toggle(Text title, Binding<bool> isOn);
    Toggle(Binding<bool> isOn, View label);
};

// A choice among options, each a view with `tag(value)`; the option whose tag equals the
// selection is shown chosen (none when no tag does). A pop-up menu by default, with its title
// leading; in a form the menu sits at the trailing edge.
class Picker : public View {
public:
    template <typename T>
    Picker(Text title, Binding<T> selection, std::vector<View> options)
        : Picker(std::move(title),
                 Selection{[selection](const std::any& tag) {
                               auto* value = std::any_cast<T>(&tag);
                               return value && *value == selection.get();
                           },
                           [selection](const std::any& tag) {
                               if (auto* value = std::any_cast<T>(&tag)) {
                                   selection.set(*value);
                               }
                           }},
                 std::move(options)) {}

    // The selection with its type erased.
    struct Selection {
        std::function<bool(const std::any&)> isSelected;
        std::function<void(const std::any&)> select;
    };

private:
    Picker(Text title, Selection selection, std::vector<View> options);
};

// A single-line text field showing `placeholder` while empty; every keystroke writes `text`.
// Typing and pasting stop at `maximumLength` characters or `maximumSize` bytes of UTF-8,
// whichever comes first: more than any field needs, so that a huge paste cannot make every later
// key and redraw slow. The size bounds what the length cannot, since one character may carry any
// number of combining marks; it leaves room for the length in characters of one scalar each. A
// paste is cut after its last whole character that fits, or inside a character too big for any
// field, after its last scalar that fits. A line break pasted in becomes a space.
class TextField : public View {
public:
    static constexpr std::size_t maximumLength = 4096;
    static constexpr std::size_t maximumSize = 4 * maximumLength;

    TextField(std::string placeholder, Binding<std::string> text);
};

// An indeterminate spinner.
class ProgressView : public View {
public:
    ProgressView();
};

// An icon before a title; the font and colour in force apply to both, and the title wraps.
class Label : public View {
public:
    Label(Text title, Image icon);
};

// A title that shows or hides its content; closed at first.
class DisclosureGroup : public View {
public:
    DisclosureGroup(Text title, std::vector<View> content);
};

} // namespace SwiftUI
