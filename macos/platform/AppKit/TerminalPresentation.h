// The application on a terminal, for interactive runs.
//
// When standard input and output are both terminals, `install` takes the
// terminal over (its alternate screen, keys read one at a time) and draws
// there what the headless objects hold: the status item's image and tool
// tip, the windows on screen with their labels (a QR code as blocks), the
// open menu with its submenus, and alerts with their buttons. Keys open the
// menu, choose items and submenu items, answer alerts and close the front
// window. The terminal is given back as it was when the process ends, also
// on a signal. Without terminals it does nothing.
#pragma once

namespace AppKit::TerminalPresentation {

// True when the presentation took over the terminal.
bool install();

} // namespace AppKit::TerminalPresentation
