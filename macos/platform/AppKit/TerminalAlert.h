// A modal alert on a terminal: a framed box over the screen with the
// message, the informative text and the buttons, and the keys that answer
// it.
//
// Return and Space press the focused button, the first until Tab, Shift-Tab,
// ← or → move the focus. The platform's button keys answer too: Esc presses
// the button titled "Cancel" (and does nothing when there is none), and "d"
// the one titled "Don't Save".
#pragma once

#include <AppKit/Alert.h>
#include <AppKit/KeyPress.h>
#include <Graphics/Cells.h>
#include <optional>
#include <string>
#include <vector>

namespace AppKit {

class TerminalAlert {
public:
    explicit TerminalAlert(const Alert& alert);

    // The answer the key gives, if it gives one.
    std::optional<ModalResponse> handle(const KeyPress& key);
    // Draws the box centred over `screen`.
    void draw(Graphics::CellCanvas& screen) const;
    // The keys that answer, for the screen's line of keys.
    std::vector<std::string> keys() const;

private:
    std::optional<std::size_t> button(std::string_view title) const;

    std::string m_message;
    std::string m_informative;
    std::vector<std::string> m_buttons;
    std::size_t m_focused = 0;
};

} // namespace AppKit
