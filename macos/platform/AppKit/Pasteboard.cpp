#include "Pasteboard.h"

#include "TerminalScreen.h"

namespace AppKit {

Pasteboard& Pasteboard::general() {
    static auto* shared = new Pasteboard;
    return *shared;
}

int Pasteboard::clearContents() {
    m_text.reset();
    return ++m_changes;
}

bool Pasteboard::setString(std::string text) {
    // What is copied here must reach the user's own clipboard, where they paste it.
    TerminalScreen::copyToClipboard(text);
    m_text = std::move(text);
    return true;
}

} // namespace AppKit
