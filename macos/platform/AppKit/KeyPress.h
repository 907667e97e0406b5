// A key the user pressed on a terminal, as the presentation hands it on.
//
// `KeyDecoder` turns the bytes a terminal sends into key presses: printable
// characters (one press per character, its UTF-8 in `text`), the editing and
// moving keys, function keys, Tab and Shift-Tab, control letters, and text
// pasted in bracketed-paste mode (one press holding all of it). An escape
// byte that ends what was read is the Escape key; one that begins a sequence
// it does not know is dropped with the sequence.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace AppKit {

struct KeyPress {
    enum class Key {
        Character,
        Paste,
        Return,
        Escape,
        Tab,
        BackTab,
        Backspace,
        Delete,
        Up,
        Down,
        Left,
        Right,
        Home,
        End,
        PageUp,
        PageDown,
        Function,
        // A control letter (Ctrl-W), `text` holding the lowercase letter.
        Control,
    };

    Key key = Key::Character;
    // The character typed, the text pasted, or the control letter.
    std::string text{};
    // For `Function`: its number, 1 for F1.
    int function = 0;

    bool operator==(const KeyPress&) const = default;
};

class KeyDecoder {
public:
    // The presses in `bytes`, after what earlier calls left unfinished.
    std::vector<KeyPress> feed(std::string_view bytes);

private:
    std::string m_pending;
    bool m_pasting = false;
    std::string m_pasted;
};

} // namespace AppKit
