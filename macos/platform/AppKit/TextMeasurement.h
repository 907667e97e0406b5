// How wide a text is when drawn in a font, in points.
//
// Measured as a text layout sets it (Graphics::TextLayout), on one line. Text
// that is not UTF-8 is measured with its bad bytes replaced.
#pragma once

#include <AppKit/Font.h>
#include <string_view>

namespace AppKit {

double textWidth(std::string_view text, const Font& font);

} // namespace AppKit
