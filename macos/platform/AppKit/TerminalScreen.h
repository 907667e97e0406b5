// The terminal the application runs on, taken over for a full-screen
// presentation.
//
// `take` succeeds when standard input and output are both terminals: it
// puts the terminal in raw mode on its alternate screen, turns on bracketed
// paste, and reads keys on a thread of its own, handing each press to the
// main run loop (in every mode). Ctrl-C, Ctrl-\ and Ctrl-Z typed signal as
// the terminal's own keys would; pasted, they are text. The terminal is
// given back as it was when the process exits, on a signal that ends it (an
// uncaught exception and a crash among them, which then end it as they
// would have), and on Ctrl-Z (which then stops the process as it would any
// program); `fg` takes it again. A resize or taking the terminal again asks
// for the whole screen to be drawn anew. Signal handlers only give the
// terminal back and write to a pipe that the reading thread watches, so
// everything else happens on the main thread.
#pragma once

#include <AppKit/KeyPress.h>
#include <Graphics/CellOutput.h>
#include <Graphics/Cells.h>
#include <functional>
#include <optional>
#include <string_view>

namespace AppKit::TerminalScreen {

struct Events {
    std::function<void(const KeyPress&)> key;
    // The terminal changed size or was taken again: draw the whole screen.
    std::function<void()> redraw;
};

// True when the terminal was taken; `events` are then called on the main run loop. The screen is
// written styled as `styling` says.
bool take(Events events, Graphics::CellStyling styling);

struct Size {
    int columns = 80;
    int rows = 24;
};
Size size();

// Brings the screen to `canvas`, rewriting only the rows that changed, with the cursor shown
// at `cursor` or hidden; nothing while the terminal is given back. Main thread only.
void show(const Graphics::CellCanvas& canvas, std::optional<Graphics::CellPoint> cursor);
// Hands `text` to the terminal's clipboard while the terminal is taken.
void copyToClipboard(std::string_view text);

} // namespace AppKit::TerminalScreen
