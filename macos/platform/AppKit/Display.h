// What ties the headless objects to a presentation, when there is one.
//
// Objects whose look changes (a status button's image, a menu's items, a
// window's labels) call `setNeedsDisplay()`. Without a presentation that is
// all; with one, its redraw runs once on the main run loop, in every mode,
// however many changes came before it.
#pragma once

#include <functional>

namespace AppKit::Display {

void setNeedsDisplay();

// Installs the presentation's redraw; an empty one removes it. Main thread only.
void setRedraw(std::function<void()> redraw);

} // namespace AppKit::Display
