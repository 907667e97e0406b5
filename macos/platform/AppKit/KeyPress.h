// A key the user pressed on a terminal, as the presentation hands it on.
//
// `KeyDecoder` turns the bytes a terminal sends into key presses: printable
// characters (one press per character, its UTF-8 in `text`), the editing and
// moving keys, function keys, Tab and Shift-Tab, control keys, and text pasted
// in bracketed-paste mode (one press holding all of it, control bytes
// included). A paste ends at its end mark, or when `expire` finds that no byte
// came for `pasteTimeout` seconds, so a start mark whose end never comes cannot
// swallow the keyboard. Past its size limit, cut where a character ends, the
// rest of a paste is dropped up to its end: none of it is typed as keys. An
// escape byte that ends what was read waits `escapeTimeout` seconds for the
// rest of its sequence, then `expire` makes it the Escape key; one that begins
// a sequence it does not know is dropped with the sequence.
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
        // A control key (Ctrl-W, Ctrl-\), `text` holding its lowercase letter or the backslash.
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
    // Long enough for a paste that comes in pieces over a slow link to stay one paste.
    static constexpr double pasteTimeout = 1;
    // Long enough for the rest of a key's sequence to follow its escape over a slow link, short
    // enough for Escape pressed alone to feel at once.
    static constexpr double escapeTimeout = 0.05;
    // In bytes: a paste is typing, not a file.
    static constexpr std::size_t pasteLimit = 1 << 20;

    // The presses in `bytes`, read at `now` (seconds on a clock that never goes back), after
    // what earlier calls left unfinished. Bytes fed continue an open paste, whatever the time.
    std::vector<KeyPress> feed(std::string_view bytes, double now);
    // When the open paste or an escape that ends what was read times out; nothing while neither
    // waits.
    std::optional<double> deadline() const;
    // The open paste, ended, or the escape as the Escape key, when it has timed out by `now`.
    std::vector<KeyPress> expire(double now);

private:
    void endPaste(std::vector<KeyPress>& presses);

    std::string m_pending;
    bool m_pasting = false;
    std::string m_pasted;
    // The open paste reached its limit: the rest of it is dropped.
    bool m_pasteCut = false;
    // When the last byte came.
    double m_touched = 0;
};

} // namespace AppKit
