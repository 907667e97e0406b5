// The general pasteboard: what the user copies and pastes elsewhere.
//
// Here it is held by the process: copying puts plain text on it, and tests
// read it back. While the application runs on a terminal the text is also
// handed to the terminal's clipboard, so that the user can paste it
// elsewhere. Each clearing counts as a change. Main thread only.
#pragma once

#include <optional>
#include <string>

namespace AppKit {

class Pasteboard {
public:
    static Pasteboard& general();

    // Empties the pasteboard; gives the new change count.
    int clearContents();
    // Puts plain text on it; true when it was taken.
    bool setString(std::string text);
    // The plain text on it, if any.
    const std::optional<std::string>& string() const { return m_text; }
    int changeCount() const { return m_changes; }

private:
    Pasteboard() = default;

    std::optional<std::string> m_text;
    int m_changes = 0;
};

} // namespace AppKit
