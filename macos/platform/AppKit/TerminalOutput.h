// What the terminal presentation writes: frames, the clipboard, and whether
// styles show.
//
// `Frames` turns each new picture of the screen into the bytes that bring
// the terminal from the picture it last wrote to this one: only the rows
// that changed are written, then the cursor is shown where typing goes or
// hidden. Nothing here touches a terminal; the screen writes what it gets.
#pragma once

#include <Graphics/Cells.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace AppKit::TerminalOutput {

// Whether styles become escapes: not when NO_COLOR holds anything, nor on a terminal that is
// dumb or not named at all.
bool colourWanted(const char* noColor, const char* term);

// The sequence that puts `text` on the terminal's clipboard (OSC 52), which a terminal takes
// even when the program runs far from it.
std::string clipboardSequence(std::string_view text);

class Frames {
public:
    explicit Frames(bool colour) : m_colour(colour) {}

    // The bytes that turn the screen last written into `canvas`, the cursor at `cursor` or
    // hidden.
    std::string update(const Graphics::CellCanvas& canvas,
                       std::optional<Graphics::CellPoint> cursor);
    // The next update rewrites the whole screen, as after a resize or when the terminal was
    // given back and taken again.
    void invalidate();

private:
    bool m_colour;
    std::vector<std::string> m_rows;
    bool m_whole = true;
    std::optional<Graphics::CellPoint> m_cursor;
};

} // namespace AppKit::TerminalOutput
