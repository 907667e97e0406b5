// A key the user pressed on a terminal, as the presentation hands it on.
//
// `KeyDecoder` turns the bytes a terminal sends into key presses: printable
// characters (one press per character, its UTF-8 in `text`), the editing and
// moving keys, function keys, Tab and Shift-Tab, control letters, and text
// pasted in bracketed-paste mode (one press holding all of it). A paste ends
// at its end mark, at its size limit, or when `expire` finds that no byte
// came for `pasteTimeout` seconds; the bytes after it are keys again, so a
// start mark whose end never comes cannot swallow the keyboard. An escape
// byte that ends what was read is the Escape key; one that begins a sequence
// it does not know is dropped with the sequence.
#pragma once

#include <optional>
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
    static constexpr double pasteTimeout = 0.3;
    // In bytes: a paste is typing, not a file.
    static constexpr std::size_t pasteLimit = 1 << 20;

    // The presses in `bytes`, read at `now` (seconds on a clock that never goes back), after
    // what earlier calls left unfinished. Bytes fed continue an open paste, whatever the time.
    std::vector<KeyPress> feed(std::string_view bytes, double now);
    // When the open paste times out; nothing while no paste is open.
    std::optional<double> deadline() const;
    // The open paste, ended, when it has timed out by `now`.
    std::vector<KeyPress> expire(double now);

private:
    void endPaste(std::vector<KeyPress>& presses);

    std::string m_pending;
    bool m_pasting = false;
    std::string m_pasted;
    // When the last byte of the open paste came.
    double m_pasteTouched = 0;
};

} // namespace AppKit
