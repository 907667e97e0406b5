// What the terminal presentation writes: frames, the clipboard, and how much
// of the styles shows.
//
// `Frames` turns each new picture of the screen into the bytes that bring
// the terminal from the picture it last wrote to this one: only the rows
// that changed are written, then the cursor is shown where typing goes or
// hidden. Nothing here touches a terminal; the screen writes what it gets.
#pragma once

#include <Graphics/CellOutput.h>
#include <Graphics/Cells.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace AppKit::TerminalOutput {

// How styled the output is: without colours when NO_COLOR holds anything, and without any
// styles on a terminal that is dumb or not named at all.
Graphics::CellStyling styling(const char* noColor, const char* term);

// The sequence that puts `text` on the terminal's clipboard (OSC 52), which a terminal takes
// even when the program runs far from it.
std::string clipboardSequence(std::string_view text);

class Frames {
public:
    explicit Frames(Graphics::CellStyling styling) : m_styling(styling) {}

    // The bytes that turn the screen last written into `canvas`, the cursor at `cursor` or
    // hidden.
    std::string update(const Graphics::CellCanvas& canvas,
                       std::optional<Graphics::CellPoint> cursor);
    // The next update rewrites the whole screen, as after a resize or when the terminal was
    // given back and taken again.
    void invalidate();

private:
    Graphics::CellStyling m_styling;
    std::vector<std::string> m_rows;
    bool m_whole = true;
    std::optional<Graphics::CellPoint> m_cursor;
};

} // namespace AppKit::TerminalOutput
