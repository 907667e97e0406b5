// What a hosted view tells the terminal's line of keys: the keys its front
// tree takes, those of the focused control first, then Tab, then the buttons
// Return and Escape press; whether a dialog in front makes them the only keys
// that apply; and the focused control's tool tip (its help text).
#pragma once

#include "Host.h"

namespace SwiftUI {

AppKit::HostedView::CellHints cellHints(const Tree& tree, const CellLayout& layout,
                                        const CellPainter::Focus& focus);

} // namespace SwiftUI
