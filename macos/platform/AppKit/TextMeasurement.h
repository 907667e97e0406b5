// How wide a text is when drawn in a font, in points.
//
// Measured with Pango and the fonts fontconfig finds, at 72 dots per inch so
// that one point is one unit. Text that is not UTF-8 is measured with its bad
// bytes replaced. Main thread only: the font machinery is made once for it.
#pragma once

#include <AppKit/Font.h>
#include <string_view>

namespace AppKit {

double textWidth(std::string_view text, const Font& font);

} // namespace AppKit
